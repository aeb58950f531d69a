// The price of a job, computed from the texts of the pricing boxes.
#ifndef QT_WORDCOUNT_PRICING_H
#define QT_WORDCOUNT_PRICING_H

struct PriceInput {
    const char* capturedText;        // nullptr while nothing has been captured
    const char* charactersPerLine;   // the texts of the boxes, as shown
    const char* characters;
    const char* words;
    const char* fixedCost;
    const char* costPerCharacter;
    const char* costPerWord;
    const char* costPerLine;
};

struct PriceResult {
    int lines;
    double charactersCost;
    double wordsCost;
    double linesCost;
    double total;
};

PriceResult ComputePrice(const PriceInput& input);

#endif
