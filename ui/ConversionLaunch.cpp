#include "ui/ConversionLaunch.h"

bool onConvert() {
    return false;
}
