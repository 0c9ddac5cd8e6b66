#include "APIWallpaper.h"

#include "JsonFields.h"

WIRE_JSON_FUNCTIONS(APIProfile)
WIRE_JSON_FUNCTIONS(APICategory)
WIRE_JSON_FUNCTIONS(APIWallpaper)
