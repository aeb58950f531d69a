#!/usr/bin/env python3
"""Writes the counter's test files into a folder:
  good/      text files in several encodings, .docx and .odt documents, and
             good/sub/ for the recursive walk; beside each, NAME.expect holds
             the Windows-1252 text the measures must see for it
  damaged/   documents that must be refused, one reason each
The expected texts are built from the same description as the documents,
not by reading the documents back."""
import os
import sys
import zipfile
from xml.sax.saxutils import escape

out = sys.argv[1]
good = os.path.join(out, "good")
damaged = os.path.join(out, "damaged")
for d in (good, os.path.join(good, "sub"), damaged):
    os.makedirs(d, exist_ok=True)


def cp1252(text):
    return text.encode("cp1252", errors="replace")


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def expect(name, data):
    write(os.path.join(good, name + ".expect"), data)


# Plain text in every encoding the counter reads.
sample = "D\u00e9j\u00e0 vu \u2013 \u201cquoted\u201d caf\u00e9, na\u00efve \u20ac5\r\n\u4e2d\u6587 \U0001F600 end\tof it\r\n"
encodings = {
    "utf8.txt": sample.encode("utf-8"),
    "utf8-bom.txt": b"\xef\xbb\xbf" + sample.encode("utf-8"),
    "utf16le.txt": b"\xff\xfe" + sample.encode("utf-16-le"),
    "utf16be.txt": b"\xfe\xff" + sample.encode("utf-16-be"),
}
for name, data in encodings.items():
    write(os.path.join(good, name), data)
    expect(name, cp1252(sample))
western = "It\u2019s \u00a3300 \u2014 d\u00e9j\u00e0 vu, \u201cokay\u201d.\r\nSecond line\r\n"
write(os.path.join(good, "cp1252.txt"), cp1252(western))
expect("cp1252.txt", cp1252(western))
invalid = b"caf\xe9 au lait \xc3\x28 \xe2\x82 and \xff\xfe-less\n"
write(os.path.join(good, "invalid-utf8.txt"), invalid)
expect("invalid-utf8.txt", invalid)
ascii_text = b"Plain ASCII text.\nTwo lines, LF only.\n"
write(os.path.join(good, "sub", "nested.txt"), ascii_text)
write(os.path.join(good, "sub", "nested.txt.expect"), ascii_text)
write(os.path.join(good, "empty.txt"), b"")
expect("empty.txt", b"")

# Documents: a paragraph is a list of pieces: text, "\t" (tab) or "\n" (line break).
paragraphs = [
    ["Chapter 1"],
    ["Hello, world! ", "It\u2019s a ", "\u201ctest\u201d", " with ", "<tags> & amp"],
    [],
    ["Name:", "\t", "Ann", "\n", "Second line of the paragraph"],
    ["  Leading and trailing  "],
    ["Caf\u00e9 na\u00efve \u4e2d \u20ac9.50 \U0001F600"],
    ["x" * 200],
]


def expected_text(paras):
    return cp1252("\r\n".join("".join("\r\n" if p == "\n" else p for p in para) for para in paras))


W = ('xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" '
     'xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006" '
     'xmlns:wps="http://schemas.microsoft.com/office/word/2010/wordprocessingShape"')


def docx_xml(paras, extras=True):
    body = []
    for i, para in enumerate(paras):
        # Tab stops in the paragraph properties are no text.
        parts = ['<w:p><w:pPr><w:tabs><w:tab w:val="left" w:pos="720"/></w:tabs></w:pPr>']
        for piece in para:
            if piece == "\t":
                parts.append("<w:r><w:tab/></w:r>")
            elif piece == "\n":
                parts.append("<w:r><w:br/></w:r>")
            else:
                parts.append('<w:r><w:rPr><w:b/></w:rPr><w:t xml:space="preserve">%s</w:t></w:r>'
                             % escape(piece))
        if extras and i == 1:
            # Deleted text and field codes are not shown text.
            parts.append("<w:del><w:r><w:delText>gone</w:delText></w:r></w:del>")
            parts.append('<w:r><w:instrText xml:space="preserve"> PAGE </w:instrText></w:r>')
        parts.append("</w:p>")
        body.append("".join(parts))
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
            '<w:document %s><w:body>%s<w:sectPr/></w:body></w:document>' % (W, "".join(body)))


def write_zip(path, members, method=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(path, "w", method) as z:
        for name, data in members:
            z.writestr(name, data)


content_types = ('<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/'
                 'package/2006/content-types"/>')


def docx(path, xml, method=zipfile.ZIP_DEFLATED):
    write_zip(path, [("[Content_Types].xml", content_types), ("word/document.xml", xml)], method)


docx(os.path.join(good, "letter.docx"), docx_xml(paragraphs))
expect("letter.docx", expected_text(paragraphs))
docx(os.path.join(good, "stored.docx"), docx_xml(paragraphs), zipfile.ZIP_STORED)
expect("stored.docx", expected_text(paragraphs))

# A text box is written twice (the drawing and its fallback); it counts once.
# A table's cells are paragraphs too.
box = ('<w:p><w:r><w:t>Before box</w:t></w:r><w:r><mc:AlternateContent><mc:Choice Requires="wps">'
       '<w:drawing><wps:txbx><w:txbxContent><w:p><w:r><w:t>Boxed</w:t></w:r></w:p></w:txbxContent>'
       '</wps:txbx></w:drawing></mc:Choice><mc:Fallback><w:pict><w:txbxContent><w:p><w:r>'
       '<w:t>Boxed</w:t></w:r></w:p></w:txbxContent></w:pict></mc:Fallback></mc:AlternateContent>'
       '</w:r></w:p>'
       '<w:tbl><w:tr><w:tc><w:p><w:r><w:t>cell one</w:t></w:r></w:p></w:tc>'
       '<w:tc><w:p><w:r><w:t>cell &#x2019;two&#8217;</w:t></w:r></w:p></w:tc></w:tr></w:tbl>'
       '<w:p/>'
       '<w:p><w:r><w:t><![CDATA[a <raw> b]]></w:t><w:noBreakHyphen/><w:t>c</w:t></w:r></w:p>')
docx(os.path.join(good, "boxes.docx"),
     '<?xml version="1.0"?><w:document %s><w:body>%s</w:body></w:document>' % (W, box))
expect("boxes.docx", cp1252("Before box\r\nBoxed\r\ncell one\r\ncell \u2019two\u2019\r\n\r\na <raw> b-c"))

O = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
     'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
     'xmlns:dc="http://purl.org/dc/elements/1.1/"')


def odt_xml(paras):
    body = []
    for i, para in enumerate(paras):
        tag = "text:h" if i == 0 else "text:p"
        parts = []
        for piece in para:
            if piece == "\t":
                parts.append("<text:tab/>")
            elif piece == "\n":
                parts.append("<text:line-break/>")
            else:
                # Runs of blanks are written as ODF writes them: one blank,
                # then text:s for the rest; a leading blank as text:s.
                out, run = [], 0
                for ch in piece + "\0":
                    if ch == " ":
                        run += 1
                        continue
                    if run:
                        at_start = not out and not parts
                        if at_start:
                            out.append('<text:s text:c="%d"/>' % run)
                        else:
                            out.append(" ")
                            if run > 1:
                                out.append('<text:s text:c="%d"/>' % (run - 1) if run > 2 else "<text:s/>")
                        run = 0
                    if ch != "\0":
                        out.append(escape(ch))
                parts.append('<text:span text:style-name="T1">%s</text:span>' % "".join(out))
        if i == 1:
            parts.append("<office:annotation><dc:creator>Ann</dc:creator><text:p>a comment</text:p>"
                         "</office:annotation>")
            parts.append('<text:note text:id="n1"><text:note-citation>1</text:note-citation>'
                         "<text:note-body><text:p>a footnote</text:p></text:note-body></text:note>")
        body.append("<%s>%s</%s>" % (tag, "".join(parts), tag))
    # White space between elements and inside the XML's own lines is layout.
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content %s>\n <office:body>\n'
            '  <office:text>\n   <text:sequence-decls/>\n   %s\n  </office:text>\n </office:body>\n'
            '</office:document-content>\n' % (O, "\n   ".join(body)))


def odt(path, xml):
    with zipfile.ZipFile(path, "w") as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.text")
        z.writestr("content.xml", xml, zipfile.ZIP_DEFLATED)


odt(os.path.join(good, "letter.odt"), odt_xml(paragraphs))
expect("letter.odt", expected_text(paragraphs))
collapse = ('<?xml version="1.0"?><office:document-content %s><office:body><office:text>'
            '<text:p>\n   several\n   words   over\tlines  </text:p>'
            '<text:p>a<text:s text:c="3"/>b <text:span> c</text:span></text:p>'
            '</office:text></office:body></office:document-content>' % O)
odt(os.path.join(good, "spaces.odt"), collapse)
expect("spaces.odt", b"several words over lines \r\na   b c")

# Damaged documents, each with one fault.
whole = open(os.path.join(good, "letter.docx"), "rb").read()
write(os.path.join(damaged, "truncated.docx"), whole[: len(whole) // 2])
write(os.path.join(damaged, "not-a-zip.docx"), b"This is plain text named like a document.\r\n")
write_zip(os.path.join(damaged, "no-body.docx"), [("[Content_Types].xml", content_types)])
docx(os.path.join(damaged, "bad-xml.docx"), docx_xml(paragraphs).replace("</w:body>", "</w:bod>"))
odt(os.path.join(damaged, "bad-entity.odt"),
    '<office:document-content %s><office:body><office:text><text:p>a &nbsp; b</text:p>'
    '</office:text></office:body></office:document-content>' % O)
# A flipped byte in the stored text: the CRC check must catch it.
stored = bytearray(open(os.path.join(good, "stored.docx"), "rb").read())
at = stored.find(b"Chapter 1")
stored[at] ^= 0x20
write(os.path.join(damaged, "bad-crc.docx"), bytes(stored))
