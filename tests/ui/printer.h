// GoogleTest's default printer, less its OutputDebugStringA call on each
// failure: under an emulated Wine that call raises an exception which
// brings the whole process down, taking the report with it.
#ifndef CORVANE_TESTS_UI_PRINTER_H
#define CORVANE_TESTS_UI_PRINTER_H

#include <gtest/gtest.h>

// Replaces the default result printer of the given listeners.
void UsePlainFailurePrinter(::testing::TestEventListeners& listeners);

#endif
