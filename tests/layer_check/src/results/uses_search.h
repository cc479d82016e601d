#include "dataset/data_set.h"
#include "search/search_file.h"
#include <QString>
