#include "results/list_form.h"
#include "search/search_file.h"
