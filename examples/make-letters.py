#!/usr/bin/python3
# Writes the example letters with python-docx, a writer independent of the simulator's own:
# quote-letter.docx, whose fax number, recipient, company and subject carry the four fax-field
# character styles, and merge-letter.docx, a mail-merge main document over customers.csv.
# Run with Debian's /usr/bin/python3 (python3-docx); the .docx files are kept in the repository.
import docx
from docx.enum.style import WD_STYLE_TYPE
from docx.oxml import parse_xml
from docx.oxml.ns import nsdecls, qn
from docx.shared import Pt

MARKS = ("tlvFaxNumber", "tlvRecipientName", "tlvCompanyName", "tlvSubject")

def marked_letter():
    d = docx.Document()
    for name in MARKS:
        d.styles.add_style(name, WD_STYLE_TYPE.CHARACTER)
    head = d.add_paragraph()
    r = head.add_run("Harbour Street Joinery")
    r.bold = True
    r.font.size = Pt(16)
    d.add_paragraph("14 Harbour Street, Fremantle WA 6160")
    p = d.add_paragraph("To: ")
    p.add_run("Ann Okafor", "tlvRecipientName")
    p = d.add_paragraph("Company: ")
    p.add_run("Okafor & Sons Builders", "tlvCompanyName")
    p = d.add_paragraph("Fax: ")
    p.add_run("(08) 9335 1234", "tlvFaxNumber")
    p = d.add_paragraph("Re: ")
    p.add_run("Quote 42 - kitchen cabinets", "tlvSubject").bold = True
    d.add_paragraph("Dear Ann,")
    d.add_paragraph("Thank you for your enquiry. Please find our quote for the kitchen cabinets below. "
                    "The price includes delivery to site and installation by our own team.")
    for line in ("Base cabinets, 6 units: $4,820.00", "Wall cabinets, 4 units: $2,960.00",
                 "Benchtop, laminate, 3.6 m: $1,150.00", "Total (incl. GST): $8,930.00"):
        d.add_paragraph(line, style="List Bullet")
    d.add_paragraph("The quote is valid for 30 days. We can start three weeks after your order.")
    d.add_paragraph("Kind regards,")
    d.add_paragraph("Tom Reilly")
    d.sections[0].footer.paragraphs[0].text = "Harbour Street Joinery - ABN 12 345 678 901"
    d.save("quote-letter.docx")

def merge_letter():
    d = docx.Document()
    def field(paragraph, name):
        paragraph._p.append(parse_xml(
            f'<w:fldSimple {nsdecls("w")} w:instr=" MERGEFIELD {name} "><w:r><w:t>\u00ab{name}\u00bb</w:t></w:r></w:fldSimple>'))
    r = d.add_paragraph().add_run("Harbour Street Joinery")
    r.bold = True
    r.font.size = Pt(16)
    p = d.add_paragraph("To: ")
    field(p, "Contact")
    p = d.add_paragraph("Company: ")
    field(p, "Company")
    p = d.add_paragraph("Fax: ")
    field(p, "Fax")
    p = d.add_paragraph("Dear ")
    field(p, "Contact")
    p.add_run(",")
    d.add_paragraph("Our workshop closes for the holidays from 22 December to 5 January. "
                    "Orders placed before 15 December will be delivered before we close.")
    d.add_paragraph("Kind regards,")
    d.add_paragraph("Tom Reilly")
    # A mail merge over customers.csv, which lies beside the document.
    settings_part = d.part._settings_part
    rid = settings_part.relate_to("customers.csv",
        "http://schemas.openxmlformats.org/officeDocument/2006/relationships/mailMergeSource", is_external=True)
    merge = parse_xml('<w:mailMerge %s><w:mainDocumentType w:val="formLetters"/><w:dataType w:val="textFile"/>'
                      '<w:query w:val="SELECT * FROM customers.csv"/><w:dataSource r:id="%s"/></w:mailMerge>'
                      % (nsdecls("w", "r"), rid))
    settings_part.element.find(qn("w:defaultTabStop")).addprevious(merge)
    d.save("merge-letter.docx")

marked_letter()
merge_letter()
