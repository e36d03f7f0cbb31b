#pragma once
#include "game/Screen.h"
