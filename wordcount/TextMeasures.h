// The three measures every price is based on. Bytes are judged one by one on
// their value; one forward pass, no copy, no allocation.
#ifndef QT_WORDCOUNT_TEXTMEASURES_H
#define QT_WORDCOUNT_TEXTMEASURES_H

int CountCharacters(const char* text);
int CountWords(const char* text);
int CountLines(const char* text, int charactersPerLine);

// The byte-at-a-time versions. CountWords and CountLines use them where the
// processor has no SSE2 (the 32-bit build); tests compare the two paths.
int CountWordsScalar(const char* text);
int CountLinesScalar(const char* text, int charactersPerLine);
bool MeasuresHaveSimd();

#endif
