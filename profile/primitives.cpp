#include "profile/profile.h"
