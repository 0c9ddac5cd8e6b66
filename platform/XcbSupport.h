#pragma once

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

struct XcbFree
{
    void operator()(void* pointer) const { std::free(pointer); }
};

// A reply or event from libxcb, which the caller frees.
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

// Interns the names in one round trip; XCB_ATOM_NONE for any the server did not answer.
template <std::size_t N>
std::array<xcb_atom_t, N> internAtoms(xcb_connection_t* connection, const std::array<const char*, N>& names)
{
    std::array<xcb_intern_atom_cookie_t, N> cookies {};
    for (std::size_t i = 0; i < N; ++i)
        cookies[i] = xcb_intern_atom(connection, false, uint16_t(std::strlen(names[i])), names[i]);
    std::array<xcb_atom_t, N> atoms {};
    for (std::size_t i = 0; i < N; ++i) {
        XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookies[i], nullptr));
        atoms[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    return atoms;
}
