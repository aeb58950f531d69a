#include "wordcount/Pricing.h"

#include "support/NumberText.h"
#include "wordcount/TextMeasures.h"

PriceResult ComputePrice(const PriceInput& input)
{
    PriceResult r;
    r.lines = input.capturedText
                  ? CountLines(input.capturedText, ReadDialogInt(input.charactersPerLine))
                  : 0;
    r.charactersCost = ReadDialogInt(input.characters) * ReadRateText(input.costPerCharacter);
    r.wordsCost = ReadDialogInt(input.words) * ReadRateText(input.costPerWord);
    r.linesCost = r.lines * ReadRateText(input.costPerLine);
    r.total = ReadRateText(input.fixedCost) + ((r.charactersCost + r.wordsCost) + r.linesCost);
    return r;
}
