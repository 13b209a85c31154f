#!/usr/bin/env python3
"""Writes the printer-settings page: a one-page XPS package of exactly
4783 bytes (the size the printer's maintenance job expects), padded with
the archive comment. Usage: make_settings_page.py OUTPUT"""
import sys
import zipfile

SIZE = 4783

PARTS = {
    "[Content_Types].xml":
        '<?xml version="1.0" encoding="UTF-8"?>'
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="fdseq" ContentType="application/vnd.ms-package.xps-fixeddocumentsequence+xml"/>'
        '<Default Extension="fdoc" ContentType="application/vnd.ms-package.xps-fixeddocument+xml"/>'
        '<Default Extension="fpage" ContentType="application/vnd.ms-package.xps-fixedpage+xml"/>'
        '</Types>',
    "_rels/.rels":
        '<?xml version="1.0" encoding="UTF-8"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="R0" Type="http://schemas.microsoft.com/xps/2005/06/fixedrepresentation" '
        'Target="/FixedDocSeq.fdseq"/></Relationships>',
    "FixedDocSeq.fdseq":
        '<FixedDocumentSequence xmlns="http://schemas.microsoft.com/xps/2005/06">'
        '<DocumentReference Source="/Documents/1/FixedDoc.fdoc"/></FixedDocumentSequence>',
    "Documents/1/FixedDoc.fdoc":
        '<FixedDocument xmlns="http://schemas.microsoft.com/xps/2005/06">'
        '<PageContent Source="/Documents/1/Pages/1.fpage"/></FixedDocument>',
    # A bordered page with a test-pattern band, drawn with paths only so the
    # package needs no fonts.
    "Documents/1/Pages/1.fpage":
        '<FixedPage xmlns="http://schemas.microsoft.com/xps/2005/06" Width="816" Height="1056" xml:lang="en-US">'
        '<Path Stroke="#FF000000" StrokeThickness="2" Data="M 48,48 L 768,48 768,1008 48,1008 Z"/>'
        + "".join('<Path Fill="#FF%02X%02X%02X" Data="M %d,96 L %d,96 %d,160 %d,160 Z"/>'
                  % (g, g, g, 72 + 84 * i, 144 + 84 * i, 144 + 84 * i, 72 + 84 * i)
                  for i, g in enumerate(range(0, 256, 32)))
        + '</FixedPage>',
}


def build(comment_length):
    import io
    data = io.BytesIO()
    with zipfile.ZipFile(data, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, text in PARTS.items():
            info = zipfile.ZipInfo(name, date_time=(2009, 4, 3, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, text.encode("utf-8"))
        archive.comment = b" " * comment_length
    return data.getvalue()


def main():
    bare = len(build(0))
    if bare > SIZE:
        sys.exit("package too large: %d bytes" % bare)
    package = build(SIZE - bare)
    assert len(package) == SIZE
    with open(sys.argv[1], "wb") as out:
        out.write(package)


if __name__ == "__main__":
    main()
