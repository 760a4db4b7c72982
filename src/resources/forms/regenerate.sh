#!/bin/bash
# Rebuilds the shipped forms from their Flat ODF sources in src/:
#   src/wsN.fodt    -> wsN.doc      (Word 97-2003)
#   src/liangwN.fods -> liangwN.xls (Excel 97-2003)
# ws27 is the compendium of all other forms; its source src/ws27.fodt is
# rebuilt here from them first, so edit the single forms, never ws27.fodt.
# LibreOffice runs headless on a throw-away profile so that an office window
# the user has open is neither used nor disturbed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
src=$here/src
soffice=${SOFFICE:-soffice}
python=/usr/bin/python3
command -v "$soffice" >/dev/null || { echo "soffice not found" >&2; exit 1; }

# Menu order of the compendium.
compendium=(1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 25 20 19 18 21 22 23 24 26)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/profile/user" "$work/tmp" "$work/out"

sources=()
for n in "${compendium[@]}"; do sources+=("$src/ws$n.fodt"); done

"$python" - "$src/ws27.fodt" "${sources[@]}" <<'PY'
# Joins the forms into one document, each form on a new page after a list of
# contents. Automatic style and table names are per document in ODF, so each
# form's are prefixed to keep them apart.
import copy, sys
import xml.etree.ElementTree as ET

NS = {}
for path in sys.argv[2:]:
    for _, (prefix, uri) in ET.iterparse(path, events=['start-ns']):
        NS.setdefault(prefix, uri)
for prefix, uri in NS.items():
    ET.register_namespace(prefix, uri)

def q(name):
    prefix, local = name.split(':')
    return '{%s}%s' % (NS[prefix], local)

STYLE_REFS = {q('text:style-name'), q('table:style-name'), q('style:parent-style-name')}
TITLE = '监察文书大全'
DIGITS = str.maketrans('0123456789', '０１２３４５６７８９')

out_path, paths = sys.argv[1], sys.argv[2:]
base = ET.parse(paths[0]).getroot()
auto = base.find(q('office:automatic-styles'))
for child in list(auto):
    if child.tag != q('style:page-layout'):
        auto.remove(child)
text = base.find(q('office:body')).find(q('office:text'))
for child in list(text):
    text.remove(child)
base.find(q('office:meta')).find(q('dc:title')).text = TITLE

def para(style, content):
    p = ET.SubElement(text, q('text:p'), {q('text:style-name'): style})
    p.text = content
    return p

# Contents: each title, dotted to its page number at the right margin. The numbers are
# references to a bookmark at the head of each form, which the office works out.
toc = ET.SubElement(auto, q('style:style'), {q('style:name'): 'toc', q('style:family'): 'paragraph',
                                             q('style:parent-style-name'): 'Body'})
tocp = ET.SubElement(toc, q('style:paragraph-properties'), {q('fo:line-height'): '20pt', q('fo:text-indent'): '0cm',
                                                            q('fo:margin-left'): '0.8cm', q('fo:margin-right'): '0cm'})
stops = ET.SubElement(tocp, q('style:tab-stops'))
ET.SubElement(stops, q('style:tab-stop'), {q('style:position'): '14.8cm', q('style:type'): 'right',
                                           q('style:leader-style'): 'dotted', q('style:leader-text'): '.'})

# Page numbers at the foot of every page, inside the bottom margin the forms were laid out on.
layout = auto.find(q('style:page-layout'))
props = layout.find(q('style:page-layout-properties'))
props.set(q('fo:margin-bottom'), '1.2cm')
footer_style = ET.SubElement(layout, q('style:footer-style'))
ET.SubElement(footer_style, q('style:header-footer-properties'),
              {q('fo:min-height'): '0.6cm', q('fo:margin-top'): '0.4cm', q('style:dynamic-spacing'): 'false'})
master = base.find(q('office:master-styles')).find(q('style:master-page'))
footer = ET.SubElement(master, q('style:footer'))
number = ET.SubElement(footer, q('text:p'), {q('text:style-name'): 'PageNumber'})
ET.SubElement(number, q('text:page-number'), {q('text:select-page'): 'current'}).text = '1'
page_number = ET.SubElement(base.find(q('office:styles')), q('style:style'),
                            {q('style:name'): 'PageNumber', q('style:family'): 'paragraph',
                             q('style:parent-style-name'): 'Standard'})
ET.SubElement(page_number, q('style:paragraph-properties'), {q('fo:text-align'): 'center'})
ET.SubElement(page_number, q('style:text-properties'),
              {q('fo:font-size'): '10.5pt', q('style:font-size-asian'): '10.5pt'})

# The contents page speaks for no authority: each form has its own line for that.
para('Title', TITLE)
para('DocNumber', '')
para('Flush', '目　录')

forms = []
for i, path in enumerate(paths, 1):
    root = ET.parse(path).getroot()
    body = list(root.find(q('office:body')).find(q('office:text')))
    title = ''.join(next(e for e in body if e.get(q('text:style-name')) == 'Title').itertext())
    entry = para('toc', '%s．%s' % (str(i).translate(DIGITS), title))
    ET.SubElement(entry, q('text:tab'))
    ET.SubElement(entry, q('text:bookmark-ref'), {q('text:reference-format'): 'page',
                                                  q('text:ref-name'): 'form%d' % i}).text = '?'
    # The bookmark opens the form's first paragraph, its authority line.
    head = body[0]
    assert head.tag == q('text:p'), path
    mark = ET.Element(q('text:bookmark'), {q('text:name'): 'form%d' % i})
    mark.tail, head.text = head.text, None
    head.insert(0, mark)
    forms.append((i, root, body))

for i, root, body in forms:
    prefix = 'f%d_' % i
    renamed = {}
    for style in root.find(q('office:automatic-styles')):
        if style.tag == q('style:page-layout'):
            continue
        renamed[style.get(q('style:name'))] = prefix + style.get(q('style:name'))
    for style in root.find(q('office:automatic-styles')):
        if style.tag == q('style:page-layout'):
            continue
        for el in style.iter():
            for attr in (q('style:name'), q('style:parent-style-name')):
                if el.get(attr) in renamed:
                    el.set(attr, renamed[el.get(attr)])
        auto.append(style)
    for el in body:
        for node in el.iter():
            for attr in STYLE_REFS:
                if node.get(attr) in renamed:
                    node.set(attr, renamed[node.get(attr)])
            if node.get(q('table:name')):
                node.set(q('table:name'), prefix + node.get(q('table:name')))
    # Each form starts a page: its first element gets a style that breaks before it.
    first = body[0]
    is_table = first.tag == q('table:table')
    ref = q('table:style-name') if is_table else q('text:style-name')
    family = 'table' if is_table else 'paragraph'
    props = q('style:table-properties') if is_table else q('style:paragraph-properties')
    old = first.get(ref)
    own = next((s for s in auto if s.get(q('style:name')) == old), None)
    if own is not None:
        brk = copy.deepcopy(own)
    else:
        brk = ET.Element(q('style:style'), {q('style:family'): family, q('style:parent-style-name'): old})
    brk.set(q('style:name'), prefix + 'page')
    pp = brk.find(props)
    if pp is None:
        pp = ET.Element(props)
        brk.insert(0, pp)
    pp.set(q('fo:break-before'), 'page')
    auto.append(brk)
    first.set(ref, prefix + 'page')
    text.extend(body)

with open(out_path, 'wb') as f:
    f.write(b'<?xml version="1.0" encoding="UTF-8"?>\n')
    f.write('<!-- Built by regenerate.sh from the other forms; edit those instead. -->\n'.encode())
    ET.ElementTree(base).write(f, encoding='utf-8', xml_declaration=False)
    f.write(b'\n')
PY

. "$here/../../../scripts/office-profile.sh"
hb_seed_office_profile "$soffice" "$work/profile"

convert() {
    local filter=$1
    shift
    TMPDIR="$work/tmp" timeout 600 "$soffice" --headless --norestore --nolockcheck \
        "-env:UserInstallation=file://$work/profile" \
        --convert-to "$filter" --outdir "$work/out" "$@" >/dev/null 2>"$work/err" ||
        { cat "$work/err" >&2; exit 1; }
    grep -v javaldx "$work/err" >&2 || true
}

docs=("$src"/ws*.fodt)
books=("$src"/liangw*.fods)
convert 'doc:MS Word 97' "${docs[@]}"
convert 'xls:MS Excel 97' "${books[@]}"

# Only a complete set replaces the shipped files.
for f in "${docs[@]}" "${books[@]}"; do
    name=$(basename "${f%.*}")
    case $f in *.fodt) name=$name.doc ;; *) name=$name.xls ;; esac
    [ -s "$work/out/$name" ] || { echo "conversion failed: $name" >&2; exit 1; }
    [ "$(head -c 8 "$work/out/$name" | od -An -tx1 | tr -d ' \n')" = d0cf11e0a1b11ae1 ] ||
        { echo "not an OLE2 file: $name" >&2; exit 1; }
done
for f in "$work"/out/*; do
    mv "$f" "$here/"
    echo "$(basename "$f"): $(stat -c %s "$here/$(basename "$f")") bytes"
done
