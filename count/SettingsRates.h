// The rates and width the main window saved, from the settings store.
#ifndef QT_COUNT_SETTINGSRATES_H
#define QT_COUNT_SETTINGSRATES_H

#include "count/JobCount.h"

// Fills the five texts as the main window would show them at its start
// (defaults where nothing is stored). False where there is no settings store.
bool LoadSettingsRates(PricingOptions& pricing);

#endif
