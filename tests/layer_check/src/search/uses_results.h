#include "results/vklist.h"
#include "search/search_file.h"
