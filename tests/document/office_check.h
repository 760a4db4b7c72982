#pragma once
#include "support/require.h"
