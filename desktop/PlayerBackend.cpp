#include "PlayerBackend.h"

PlayerBackend::~PlayerBackend() = default;
