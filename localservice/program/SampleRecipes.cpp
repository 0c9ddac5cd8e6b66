#include "SampleRecipes.h"

using namespace Qt::Literals::StringLiterals;

namespace SampleRecipes {

const QList<Creator>& creators()
{
    static const QList<Creator> list {
        { u"c0ffee000000000000000001"_s, u"Mira Okafor"_s, u"mira_loops"_s, u"FF6B6B"_s, true, 12840 },
        { u"c0ffee000000000000000002"_s, u"Tomas Lindqvist"_s, u"fractal_tom"_s, u"4ECDC4"_s, true, 8311 },
        { u"c0ffee000000000000000003"_s, u"Ana Beltrán"_s, u"ana_pixels"_s, u"FFD93D"_s, false, 942 },
        { u"c0ffee000000000000000004"_s, u"Kenji Mori"_s, u"kenjimotion"_s, u"6C5CE7"_s, false, 2210 },
        { u"c0ffee000000000000000005"_s, u"Studio Nordlys"_s, u"nordlys"_s, u"A8E6CF"_s, true, 20418 },
    };
    return list;
}

const QList<APITag>& tags()
{
    static const QList<APITag> list {
        { u"t-series-deepfield"_s, u"Deep Field"_s, u"series"_s, 1, std::nullopt },
        { u"t-series-automata"_s, u"Automata"_s, u"series"_s, 2, std::nullopt },
        { u"t-series-signal"_s, u"Signal"_s, u"series"_s, 3, std::nullopt },
        { u"t-char-seahorse"_s, u"Seahorse"_s, u"character"_s, 1, u"t-series-deepfield"_s },
        { u"t-char-spiral"_s, u"Spiral"_s, u"character"_s, 2, u"t-series-deepfield"_s },
        { u"t-char-glider"_s, u"Glider"_s, u"character"_s, 1, u"t-series-automata"_s },
        { u"t-char-rule110"_s, u"Rule 110"_s, u"character"_s, 2, u"t-series-automata"_s },
        { u"t-char-bars"_s, u"Colour Bars"_s, u"character"_s, 1, u"t-series-signal"_s },
        { u"t-theme-abstract"_s, u"Abstract"_s, u"theme"_s, 1, std::nullopt },
        { u"t-theme-retro"_s, u"Retro"_s, u"theme"_s, 2, std::nullopt },
        { u"t-theme-calm"_s, u"Calm"_s, u"theme"_s, 3, std::nullopt },
        { u"t-theme-neon"_s, u"Neon"_s, u"theme"_s, 4, std::nullopt },
        { u"t-scene-night"_s, u"Night"_s, u"scene"_s, 1, std::nullopt },
        { u"t-scene-sky"_s, u"Sky"_s, u"scene"_s, 2, std::nullopt },
        { u"t-scene-ocean"_s, u"Ocean"_s, u"scene"_s, 3, std::nullopt },
    };
    return list;
}

namespace {

// Sources drawn small and scaled up keep their cells crisp.
QString cells(const QString& source, const QString& look)
{
    return source + u":s=160x90:r=%2,scale=%1:flags=neighbor"_s.replace(u"%1"_s, u"640:360"_s) + look;
}

} // namespace

const QList<Wallpaper>& wallpapers()
{
    static const QList<Wallpaper> list {
        { u"deep-field-seahorse"_s, u"Seahorse Valley"_s, u"mandelbrot=s=%1:r=%2:maxiter=400:start_scale=0.5:end_scale=0.02:end_pts=40"_s,
            { 640, 360 }, u"space"_s, { u"t-series-deepfield"_s, u"t-char-seahorse"_s, u"t-scene-night"_s }, 1,
            { u"1B1464"_s, u"F79F1F"_s }, true, true, false, 2, 4120, 910 },
        { u"deep-field-spiral"_s, u"Spiral Drift"_s, u"mandelbrot=s=%1:r=%2:maxiter=300:start_x=-0.743643887037151:start_y=0.13182590420533:start_scale=0.3:end_scale=0.001:end_pts=50,hue=h=140"_s,
            { 640, 360 }, u"sciFi"_s, { u"t-series-deepfield"_s, u"t-char-spiral"_s }, 1, { u"0A3D62"_s, u"38ADA9"_s },
            true, false, false, 3, 3380, 700 },
        { u"deep-field-ultrawide"_s, u"Horizon of Spirals"_s, u"mandelbrot=s=%1:r=%2:maxiter=250:start_scale=1.2:end_scale=0.2:end_pts=60,hue=h=200"_s,
            { 1280, 400 }, u"space"_s, { u"t-series-deepfield"_s, u"t-scene-sky"_s }, 4, { u"130F40"_s, u"30336B"_s },
            true, true, false, 1, 1890, 640 },
        { u"gradient-dawn"_s, u"Dawn Gradient"_s, u"gradients=s=%1:r=%2:c0=FF7E5F:c1=FEB47B:c2=6A82FB:speed=0.03:type=radial"_s,
            { 640, 360 }, u"nature"_s, { u"t-theme-calm"_s, u"t-scene-sky"_s }, 4, { u"FF7E5F"_s, u"FEB47B"_s },
            false, true, true, 0, 2210, 520 },
        { u"gradient-lagoon"_s, u"Lagoon"_s, u"gradients=s=%1:r=%2:c0=00C9FF:c1=92FE9D:c2=0F2027:speed=0.02"_s,
            { 640, 360 }, u"nature"_s, { u"t-theme-calm"_s, u"t-scene-ocean"_s }, 4, { u"00C9FF"_s, u"92FE9D"_s },
            false, false, true, 5, 1320, 210 },
        { u"gradient-neon"_s, u"Neon Tide"_s, u"gradients=s=%1:r=%2:c0=F72585:c1=7209B7:c2=3A0CA3:c3=4CC9F0:speed=0.04:type=circular"_s,
            { 640, 360 }, u"digitalArt"_s, { u"t-theme-neon"_s, u"t-theme-abstract"_s }, 2, { u"F72585"_s, u"4CC9F0"_s },
            true, false, false, 1, 2900, 830 },
        { u"gradient-ember"_s, u"Ember"_s, u"gradients=s=%1:r=%2:c0=200122:c1=6F0000:c2=FF4E00:speed=0.025:type=spiral"_s,
            { 640, 360 }, u"cinematic"_s, { u"t-theme-abstract"_s, u"t-scene-night"_s }, 0, { u"6F0000"_s, u"FF4E00"_s },
            false, true, false, 9, 760, 120 },
        { u"automata-glider"_s, u"Glider Garden"_s, cells(u"life=mold=10:ratio=0.12:life_color=#7CFFB2:death_color=#0B3D2E"_s, {}),
            { 640, 360 }, u"gaming"_s, { u"t-series-automata"_s, u"t-char-glider"_s, u"t-theme-retro"_s }, 2,
            { u"7CFFB2"_s, u"0B3D2E"_s }, false, true, false, 4, 1980, 450 },
        { u"automata-bloom"_s, u"Petri Bloom"_s, cells(u"life=mold=25:ratio=0.2:life_color=#FF9F1C:death_color=#2B0F54"_s, {}),
            { 640, 360 }, u"animals"_s, { u"t-series-automata"_s, u"t-theme-abstract"_s }, 2, { u"FF9F1C"_s, u"2B0F54"_s },
            false, false, false, 12, 540, 60 },
        { u"automata-rule110"_s, u"Rule 110"_s, cells(u"cellauto=rule=110:random_fill_ratio=0.5"_s, u",hue=h=260:s=2"_s),
            { 640, 360 }, u"sciFi"_s, { u"t-series-automata"_s, u"t-char-rule110"_s, u"t-theme-retro"_s }, 3,
            { u"FFFFFF"_s, u"000000"_s }, false, true, false, 2, 1210, 380 },
        { u"automata-rule30"_s, u"Shell Pattern"_s, cells(u"cellauto=rule=30:random_fill_ratio=0.02"_s, u",hue=h=30:s=3"_s),
            { 640, 360 }, u"animals"_s, { u"t-series-automata"_s, u"t-scene-ocean"_s }, 3, { u"F5CD79"_s, u"000000"_s },
            false, false, true, 20, 320, 30 },
        { u"signal-bars"_s, u"Test Pattern"_s, u"smptehdbars=s=%1:r=%2,hue=H=t*0.6"_s, { 640, 360 }, u"tvShows"_s,
            { u"t-series-signal"_s, u"t-char-bars"_s, u"t-theme-retro"_s }, 0, { u"C0C0C0"_s, u"0000C0"_s }, false,
            false, false, 6, 880, 150 },
        { u"signal-test-card"_s, u"Late Night Broadcast"_s, u"testsrc2=s=%1:r=%2"_s, { 640, 360 }, u"tvShows"_s,
            { u"t-series-signal"_s, u"t-scene-night"_s }, 0, { u"FF0000"_s, u"00FF00"_s }, false, true, false, 1,
            1450, 410 },
        { u"signal-rgb"_s, u"Primary Signal"_s, u"rgbtestsrc=s=%1:r=%2,hue=H=t"_s, { 640, 360 }, u"movies"_s,
            { u"t-series-signal"_s, u"t-theme-neon"_s }, 3, { u"FF0000"_s, u"0000FF"_s }, false, false, false, 15, 410,
            40 },
        { u"spectrum-drift"_s, u"Spectrum Drift"_s, u"colorspectrum=s=%1:r=%2:type=all,hue=H=t*0.8"_s, { 640, 360 },
            u"digitalArt"_s, { u"t-theme-neon"_s, u"t-theme-abstract"_s }, 1, { u"FF00FF"_s, u"00FFFF"_s }, false,
            true, true, 3, 1660, 300 },
        { u"sierpinski-carpet"_s, u"Carpet Weave"_s, u"sierpinski=s=%1:r=%2:type=carpet,hue=h=50:s=1.5"_s, { 640, 360 },
            u"anime"_s, { u"t-theme-abstract"_s, u"t-theme-retro"_s }, 2, { u"F9CA24"_s, u"130F40"_s }, false, false,
            false, 8, 980, 140 },
        { u"sierpinski-triangle"_s, u"Triangle Dance"_s, u"sierpinski=s=%1:r=%2:type=triangle,hue=h=300:s=2"_s,
            { 640, 360 }, u"anime"_s, { u"t-theme-neon"_s }, 2, { u"E056FD"_s, u"000000"_s }, false, true, false, 2,
            1300, 260 },
        { u"mandel-ember"_s, u"Molten Core"_s, u"mandelbrot=s=%1:r=%2:maxiter=300:start_x=-1.25066:start_y=0.02012:start_scale=0.2:end_scale=0.003:end_pts=60:outer=normalized_iteration_count,hue=h=-40"_s,
            { 640, 360 }, u"movies"_s, { u"t-series-deepfield"_s, u"t-theme-abstract"_s }, 1,
            { u"EB4D4B"_s, u"F0932B"_s }, true, false, false, 4, 3150, 780 },
        { u"mandel-aurora"_s, u"Aurora"_s, u"mandelbrot=s=%1:r=%2:maxiter=300:start_scale=2:end_scale=0.6:end_pts=80,hue=h=90:s=1.4"_s,
            { 640, 360 }, u"nature"_s, { u"t-scene-sky"_s, u"t-theme-calm"_s }, 4, { u"6AB04C"_s, u"22A6B3"_s },
            false, false, false, 25, 2050, 90 },
        { u"gradient-highway"_s, u"Night Highway"_s, u"gradients=s=%1:r=%2:c0=0F0C29:c1=302B63:c2=24243E:c3=FF0080:speed=0.05:type=linear,drawgrid=w=64:h=36:t=2:c=FF0080@0.4"_s,
            { 640, 360 }, u"vehicles"_s, { u"t-theme-neon"_s, u"t-scene-night"_s, u"t-theme-retro"_s }, 3,
            { u"302B63"_s, u"FF0080"_s }, false, true, false, 1, 1720, 560 },
        { u"gradient-chrome"_s, u"Chrome Sunset"_s, u"gradients=s=%1:r=%2:c0=FDC830:c1=F37335:c2=833AB4:speed=0.03,drawgrid=w=80:h=24:t=1:c=white@0.25"_s,
            { 640, 360 }, u"vehicles"_s, { u"t-theme-retro"_s, u"t-scene-sky"_s }, 0, { u"F37335"_s, u"833AB4"_s },
            false, false, true, 10, 640, 70 },
        { u"testsrc-arcade"_s, u"Arcade Attract Mode"_s, u"testsrc2=s=%1:r=%2,hue=H=t*1.5:s=1.6"_s, { 640, 360 },
            u"gaming"_s, { u"t-theme-retro"_s, u"t-theme-neon"_s }, 3, { u"F368E0"_s, u"00D2D3"_s }, false, false,
            false, 7, 1110, 230 },
        { u"cartoon-cells"_s, u"Doodle Cells"_s, cells(u"life=mold=5:ratio=0.3:life_color=#FFEAA7:death_color=#E17055"_s, {}),
            { 640, 360 }, u"cartoon"_s, { u"t-theme-abstract"_s }, 2, { u"FFEAA7"_s, u"E17055"_s }, false, true, false,
            3, 870, 190 },
        { u"cartoon-bars"_s, u"Candy Stripes"_s, u"smptehdbars=s=%1:r=%2,hue=H=t*2:s=2"_s, { 640, 360 }, u"cartoon"_s,
            { u"t-theme-neon"_s, u"t-series-signal"_s }, 0, { u"FD79A8"_s, u"74B9FF"_s }, false, false, true, 18, 300,
            20 },
        { u"cinema-spectrum"_s, u"Projector Glow"_s, u"colorspectrum=s=%1:r=%2:type=black,hue=H=t*0.4"_s, { 640, 360 },
            u"cinematic"_s, { u"t-scene-night"_s, u"t-theme-calm"_s }, 4, { u"2D3436"_s, u"FAB1A0"_s }, false, true,
            false, 5, 1540, 340 },
    };
    return list;
}

} // namespace SampleRecipes
