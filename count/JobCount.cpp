#include "count/JobCount.h"

#include "support/NumberText.h"
#include "wordcount/Pricing.h"
#include "wordcount/TextMeasures.h"

#include <cstdio>

long long UnitHundredths(long long characters, int unitSize)
{
    if (unitSize <= 0)
        return 0;
    return (characters * 100 + unitSize / 2) / unitSize;
}

double RoundToShownCents(double amount)
{
    char text[400];
    FormatMoney(amount, text, sizeof text);
    return ReadRateText(text);
}

CountRow CountAndPrice(const char* text, const PricingOptions& o)
{
    CountRow row;
    int characters = CountCharacters(text);
    int words = CountWords(text);
    char charactersText[16], wordsText[16];
    snprintf(charactersText, sizeof charactersText, "%d", characters);
    snprintf(wordsText, sizeof wordsText, "%d", words);
    PriceInput input{text,
                     o.charactersPerLine.c_str(),
                     charactersText,
                     wordsText,
                     o.fixedCost.c_str(),
                     o.costPerCharacter.c_str(),
                     o.costPerWord.c_str(),
                     o.costPerLine.c_str()};
    PriceResult price = ComputePrice(input);
    row.characters = characters;
    row.words = words;
    row.lines = price.lines;
    double total = price.total;
    if (o.standardLine > 0) {
        row.standardLineHundredths = UnitHundredths(characters, o.standardLine);
        total += row.standardLineHundredths / 100.0 * ReadRateText(o.costPerStandardLine.c_str());
    }
    if (o.page > 0) {
        row.pageHundredths = UnitHundredths(characters, o.page);
        total += row.pageHundredths / 100.0 * ReadRateText(o.costPerPage.c_str());
    }
    row.price = RoundToShownCents(total);
    if (o.hasMinimum) {
        double minimum = RoundToShownCents(ReadRateText(o.minimum.c_str()));
        if (row.price < minimum) {
            row.minimumTopUp = RoundToShownCents(minimum - row.price);
            row.price = minimum;
        }
    }
    return row;
}

void AddToTotal(CountRow& total, const CountRow& row)
{
    total.characters += row.characters;
    total.words += row.words;
    total.lines += row.lines;
    total.standardLineHundredths += row.standardLineHundredths;
    total.pageHundredths += row.pageHundredths;
    total.minimumTopUp = RoundToShownCents(total.minimumTopUp + row.minimumTopUp);
    total.price = RoundToShownCents(total.price + row.price);
}
