// A camera on one line of the screen: grabs a row or column of the root
// window's pixels over and over, as fast as the X server hands them out, and
// writes each grab with the moment it was taken, so that the suite can tell
// what a person saw there at every instant, not only at its screenshots.
//
//   e2e_strip_grabber X Y LENGTH horizontal|vertical OUTPUT
//
// Each record in OUTPUT: the CLOCK_MONOTONIC seconds of the grab as a little-
// endian double, then LENGTH bytes, the grey level of each pixel along the
// line. Runs until SIGTERM or SIGINT, then exits 0 with every record written.
#include <xcb/xcb.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

double monotonicSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// A grab's pause: the video changes 30 times a second, a grab every 2 ms sees each frame.
void waitBeforeNextGrab()
{
    const timespec interval { 0, 2'000'000 };
    nanosleep(&interval, nullptr);
}

struct FreeDeleter
{
    void operator()(void* pointer) const { std::free(pointer); }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s X Y LENGTH horizontal|vertical OUTPUT\n", argv[0]);
        return 2;
    }
    const int x = std::atoi(argv[1]);
    const int y = std::atoi(argv[2]);
    const int length = std::atoi(argv[3]);
    const bool horizontal = std::strcmp(argv[4], "horizontal") == 0;
    if (length <= 0 || (!horizontal && std::strcmp(argv[4], "vertical") != 0)) {
        std::fprintf(stderr, "bad line\n");
        return 2;
    }
    std::FILE* output = std::fopen(argv[5], "wb");
    if (!output) {
        std::perror(argv[5]);
        return 1;
    }
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;

    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    const auto width = uint16_t(horizontal ? length : 1);
    const auto height = uint16_t(horizontal ? 1 : length);
    std::vector<unsigned char> grey(size_t(length), 0);
    while (!stopRequested) {
        const xcb_get_image_cookie_t cookie
            = xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(x), int16_t(y), width, height, ~0u);
        std::unique_ptr<xcb_get_image_reply_t, FreeDeleter> image(
            xcb_get_image_reply(connection, cookie, nullptr));
        const double taken = monotonicSeconds();
        if (!image) {
            std::fprintf(stderr, "the grab failed\n");
            break;
        }
        // 24-bit visuals come as 32 bits a pixel: blue, green, red, unused.
        const uint8_t* pixels = xcb_get_image_data(image.get());
        if (xcb_get_image_data_length(image.get()) < length * 4) {
            std::fprintf(stderr, "unexpected pixel format\n");
            break;
        }
        for (int i = 0; i < length; ++i) {
            const uint8_t* pixel = pixels + i * 4;
            grey[size_t(i)] = uint8_t((pixel[0] * 29 + pixel[1] * 150 + pixel[2] * 77) >> 8);
        }
        std::fwrite(&taken, sizeof taken, 1, output);
        std::fwrite(grey.data(), 1, grey.size(), output);
        waitBeforeNextGrab();
    }
    std::fclose(output);
    xcb_disconnect(connection);
    return 0;
}
