// The record detail tests' fixture: the list fixture, whose openList(state) fills the detail data set.
#pragma once

#include "list_fixture.h"

namespace detailtest {

using DetailFixture = listtest::ListFixture;

} // namespace detailtest
