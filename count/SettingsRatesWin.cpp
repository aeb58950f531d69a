#include "count/SettingsRates.h"

#include "support/ProductNames.h"
#include "support/Settings.h"

bool LoadSettingsRates(PricingOptions& p)
{
    struct {
        const char* name;
        const char* defaultText;
        std::string* text;
    } values[] = {
        {"FixedCostAmount", "0.00", &p.fixedCost},
        {"CostPerCharacter", "0.00", &p.costPerCharacter},
        {"CostPerWord", "0.02", &p.costPerWord},
        {"CharacterPerLine", "80", &p.charactersPerLine},
        {"CostPerLine", "0.00", &p.costPerLine},
    };
    for (auto& v : values) {
        char text[260];
        ReadSetting(QT_SETTINGS_SECTION, v.name, v.defaultText, text);
        *v.text = text;
    }
    return true;
}
