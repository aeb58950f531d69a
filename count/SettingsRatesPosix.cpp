#include "count/SettingsRates.h"

bool LoadSettingsRates(PricingOptions&)
{
    return false;
}
