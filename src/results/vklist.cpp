#include "results/vklist.h"

VKLIST::VKLIST(QWidget* parent) : QWidget(parent) {}
VKLIST::~VKLIST() = default;

void VKLIST::Form_Load() {}

void VKLIST::SORT_SELECT(int) {}
