// The body text of .docx and .odt documents as Windows-1252 text, laid out as
// the clipboard gives a copied document: "\r\n" between paragraphs (none
// after the last), tabs as tabs, line breaks as "\r\n".
#ifndef QT_COUNT_DOCUMENTTEXT_H
#define QT_COUNT_DOCUMENTTEXT_H

#include <cstddef>
#include <string>

enum class DocumentKind { PlainText, Docx, Odt };

// By the name's extension, any case.
DocumentKind DocumentKindOf(const char* path);

// The text of word/document.xml: paragraphs (w:p) of the body, text runs
// (w:t), w:tab, w:br and w:cr inside runs, w:noBreakHyphen as '-'. The
// fallback copy of alternate content (mc:Fallback) is left out, so a text
// box counts once. Appends to out; false with a reason when damaged.
bool DocxXmlText(const char* xml, size_t size, std::string& out, std::string& error);

// The text of content.xml: paragraphs and headings (text:p, text:h) of the
// body, with ODF's white-space rule (runs of blanks, tabs and line ends in the
// XML are one space, none at the start of a paragraph), text:s (text:c
// spaces), text:tab, text:line-break. Notes, comments, tracked deletions and
// the titles and descriptions of pictures are not body text and are left out.
bool OdtXmlText(const char* xml, size_t size, std::string& out, std::string& error);

// Unzips the document's main part into xml (kept by the caller so that its
// memory serves the next document too) and appends its text to out.
bool ExtractDocumentText(DocumentKind kind, const unsigned char* data, size_t size,
                         std::string& xml, std::string& out, std::string& error);

#endif
