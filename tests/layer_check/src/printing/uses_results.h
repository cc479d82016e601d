#include "results/list_form.h"
