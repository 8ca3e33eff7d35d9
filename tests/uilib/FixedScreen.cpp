// The window tests need a known screen: the offscreen platform is given one of 1024 by 768
// pixels at 96 dots per inch before the test program's QApplication starts.
#include <cstdlib>

namespace {

const bool FixedScreen = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen:configfile=" QM_OFFSCREEN_CONFIG, 1);
    return true;
}();

} // namespace
