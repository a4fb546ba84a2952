#!/usr/bin/env python3
"""Writes the crafted .docx files beside this script: documents no word processor writes, each
aimed at one way a reader of untrusted documents can fail (memory, stack, time). The tests read
them, and the fuzzers start from them. Run it again after changing it; the output is the same
byte for byte every time."""
import os
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
R = 'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
V = 'xmlns:v="urn:schemas-microsoft-com:vml"'
MC = 'xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006"'
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"


def package(name, body, parts=None, rels=None, big=False):
    """A .docx of one document part holding `body`, other `parts` (name -> XML) and the main part's
    relationships `rels` (id -> (type, target)). `big` packs with bzip2, which shrinks long runs of
    one byte to almost nothing (libzip reads it, Word does not write it)."""
    method = zipfile.ZIP_BZIP2 if big else zipfile.ZIP_DEFLATED
    files = {
        "[Content_Types].xml": '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>',
        "_rels/.rels": '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                       f'<Relationship Id="rId1" Type="{REL}officeDocument" Target="word/document.xml"/></Relationships>',
        "word/document.xml": f'<w:document {W} {R} {V} {MC}><w:body>{body}</w:body></w:document>',
    }
    if rels:
        files["word/_rels/document.xml.rels"] = (
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            + "".join(f'<Relationship Id="{i}" Type="{REL}{t}" Target="{target}"/>' for i, (t, target) in rels.items())
            + "</Relationships>")
    files.update(parts or {})
    with zipfile.ZipFile(os.path.join(HERE, name), "w") as z:
        for part, text in files.items():
            info = zipfile.ZipInfo(part, date_time=(1980, 1, 1, 0, 0, 0))
            info.compress_type = method
            z.writestr(info, text.encode("utf-8"))


def nested(opening, closing, depth, inner):
    return opening * depth + inner + closing * depth


PARAGRAPH = "<w:p><w:r><w:t>inside</w:t></w:r></w:p>"
DEEP = 100_000  # far past any stack

# A complex field's end inside a simple field, with nothing of its own to end; a complex field
# begun inside a simple field and never ended; and one that never gets past its code, empty
# like the simple field around it.
package("field-end-in-simple-field.docx",
        '<w:p><w:r><w:t>Fax: </w:t></w:r><w:fldSimple w:instr=" MERGEFIELD Fax "><w:r><w:t>&#171;Fax&#187;</w:t></w:r>'
        '<w:r><w:fldChar w:fldCharType="end"/></w:r></w:fldSimple><w:r><w:t> end</w:t></w:r></w:p>'
        '<w:p><w:fldSimple w:instr=" REF Total "><w:r><w:fldChar w:fldCharType="begin"/></w:r>'
        '<w:r><w:instrText>PAGE</w:instrText></w:r><w:r><w:fldChar w:fldCharType="separate"/></w:r>'
        '<w:r><w:t>7</w:t></w:r></w:fldSimple><w:r><w:fldChar w:fldCharType="end"/></w:r></w:p>'
        '<w:p><w:fldSimple w:instr=" MERGEFIELD Company "><w:r><w:fldChar w:fldCharType="begin"/><w:t>code</w:t></w:r>'
        '</w:fldSimple></w:p>')

# Each container a document may nest, nested far too deep.
package("deep-tables.docx", nested("<w:tbl><w:tr><w:tc>", "</w:tc></w:tr></w:tbl>", DEEP, PARAGRAPH), big=True)
package("deep-content-controls.docx", nested("<w:sdt><w:sdtContent>", "</w:sdtContent></w:sdt>", DEEP, PARAGRAPH), big=True)
package("deep-hyperlinks.docx",
        "<w:p>" + nested("<w:hyperlink>", "</w:hyperlink>", DEEP, "<w:r><w:t>inside</w:t></w:r>") + "</w:p>", big=True)
package("deep-text-boxes.docx",
        nested('<w:p><w:r><w:pict><v:shape><v:textbox><w:txbxContent>',
               "</w:txbxContent></v:textbox></v:shape></w:pict></w:r></w:p>", DEEP, PARAGRAPH), big=True)
package("deep-alternate-content.docx",
        "<w:p>" + nested("<mc:AlternateContent><mc:Choice>", "</mc:Choice></mc:AlternateContent>", DEEP,
                         "<w:r><w:t>inside</w:t></w:r>") + "</w:p>", big=True)
# Tables in tables as deep as a real document might go: read.
package("tables-in-tables.docx", nested("<w:tbl><w:tr><w:tc>", "</w:tc></w:tr></w:tbl>", 60, PARAGRAPH))

# WordprocessingML under prefixes of the file's own choosing: x: for Word's namespace, Word's as
# the default namespace of one paragraph, and x: rebound to another namespace for one run, whose
# text is not Word's.
with zipfile.ZipFile(os.path.join(HERE, "namespaces.docx"), "w") as z:
    for part, text in {
        "_rels/.rels": '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                       f'<Relationship Id="rId1" Type="{REL}officeDocument" Target="word/document.xml"/></Relationships>',
        "word/document.xml":
            '<x:document xmlns:x="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><x:body>'
            '<x:p><x:fldSimple x:instr=" PAGE "><x:r><x:t>a</x:t></x:r></x:fldSimple></x:p>'
            '<p xmlns="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><r><t>b</t></r></p>'
            '<x:p><x:r xmlns:x="urn:another"><x:t>hidden</x:t></x:r><x:r><x:t>c</x:t></x:r></x:p>'
            '</x:body></x:document>'}.items():
        info = zipfile.ZipInfo(part, date_time=(1980, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, text.encode("utf-8"))

# A character XML does not allow, through a character reference (the parser lets it through).
package("control-character.docx", '<w:p><w:r><w:t>Fax: 0893&#14;351234</w:t></w:r></w:p>')

# A text box without a paragraph (Word's always have one).
package("empty-text-box.docx",
        '<w:p><w:r><w:t>Letter</w:t><w:pict><v:shape><v:textbox><w:txbxContent/></v:textbox></v:shape></w:pict></w:r></w:p>')

# A few kilobytes that unpack to 40 MB: two parts of 20 MB each.
PAD = " " * 20_000_000
package("unpacks-too-large.docx",
        PARAGRAPH + PAD + '<w:sectPr><w:headerReference w:type="default" r:id="rIdH"/></w:sectPr>',
        parts={"word/header1.xml": f"<w:hdr {W}>{PARAGRAPH}{PAD}</w:hdr>"},
        rels={"rIdH": ("header", "header1.xml")}, big=True)
# Three million characters of text in a few kilobytes.
package("text-too-long.docx", "<w:p><w:r><w:t>" + "a" * 3_000_000 + "</w:t></w:r></w:p>", big=True)

# 150,000 complex fields each in the code of the one before, and 150,000 each in the result of the
# one before.
FIELDS = 150_000
package("nested-fields.docx",
        "<w:p><w:r>" + '<w:fldChar w:fldCharType="begin"/>' * FIELDS + "<w:t>x</w:t>" * FIELDS
        + '<w:fldChar w:fldCharType="end"/>' * FIELDS + "</w:r></w:p>"
        "<w:p><w:r>" + '<w:fldChar w:fldCharType="begin"/><w:fldChar w:fldCharType="separate"/>' * FIELDS
        + "<w:t>y</w:t>" + '<w:fldChar w:fldCharType="end"/>' * FIELDS + "</w:r></w:p>", big=True)

# 4,097 styles: more than any document Word writes has.
package("many-styles.docx", PARAGRAPH,
        parts={"word/styles.xml": f"<w:styles {W}>" + "".join(f'<w:style w:styleId="{k}"/>' for k in range(4097))
                                  + "</w:styles>"},
        rels={"rIdS": ("styles", "styles.xml")}, big=True)

# A fax number written with Word's non-breaking hyphen and an optional hyphen.
package("hyphens.docx",
        "<w:p><w:r><w:t>Fax: 0893</w:t><w:noBreakHyphen/><w:t>351</w:t><w:softHyphen/><w:t>234</w:t></w:r></w:p>")
