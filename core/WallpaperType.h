#pragma once

// What a wallpaper shows.
enum class WallpaperType { image, video, gradient };
