#include "app/master.h"
