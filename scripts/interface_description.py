#!/usr/bin/env python3
"""Writes a machine-readable description of the library's public C interface, for people who
write bindings in other languages: every function (result and argument types), every global,
every record with its fields, every type name and every constant, each with its comment, read
from the headers under include/ by clang's own parser.

usage: interface_description.py INCLUDE_DIR OUTPUT.json [--clang CLANG]
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

DEFINE = re.compile(r'^\s*#\s*define\s+([A-Za-z_][A-Za-z0-9_]*)(\(?)\s*(.*?)\s*$')
# Macros that shape declarations rather than name values.
NOT_CONSTANTS = re.compile(
    r'^(CORVANE_API|CORVANE_NOEXCEPT|CORVANE_EXTERN_C_(BEGIN|END)|CORVANE_DRIVER_IDENTITY|CORVANE_.*_H)$')
# A field line of the driver identity's doc comment: "int id;   four-character code (...)".
IDENTITY_FIELD = re.compile(r'^\s*\*?\s*[A-Za-z_][A-Za-z0-9_ *]*?\b([A-Za-z_][A-Za-z0-9_]*);\s+(.+?)\s*(\*/)?$')


def headers(include_dir):
    found = []
    for root, _, files in os.walk(include_dir):
        for name in files:
            if name.endswith('.h'):
                found.append(os.path.relpath(os.path.join(root, name), include_dir))
    return sorted(found)


def clang_ast(clang, include_dir, source):
    with tempfile.NamedTemporaryFile('w', suffix='.c', delete=False) as unit:
        unit.write(source)
        path = unit.name
    try:
        result = subprocess.run(
            [clang, '-x', 'c', '-std=c11', '-fsyntax-only', '-fparse-all-comments',
             '-ferror-limit=0', '-Wno-everything', '-Xclang', '-ast-dump=json',
             '-I', include_dir, path],
            capture_output=True, text=True, check=False)
    finally:
        os.unlink(path)
    if not result.stdout:
        sys.exit('interface_description: clang produced no syntax tree:\n' + result.stderr)
    return json.loads(result.stdout)


def comment_text(node):
    """The text of the doc comment clang attached to a declaration, as one line: its paragraphs,
    then "Parameter NAME: ..." for each @param and "Returns: ..." for @return."""

    def text_of(n):
        # The pieces of one paragraph are joined as written: clang splits a line at "<" and
        # gives every line its own piece, each keeping its leading space.
        if n.get('kind') in ('TextComment', 'VerbatimBlockLineComment', 'VerbatimLineComment'):
            return n.get('text', '')
        pieces = [text_of(child) for child in n.get('inner', [])]
        if n.get('kind') == 'VerbatimBlockComment':
            return ' '.join(pieces)
        return ''.join(pieces)

    parts = []
    for child in node.get('inner', []):
        if child.get('kind') != 'FullComment':
            continue
        for block in child.get('inner', []):
            kind = block.get('kind')
            text = ' '.join(text_of(block).split())
            if not text:
                continue
            if kind == 'ParamCommandComment':
                text = 'Parameter %s: %s' % (block.get('param', ''), text)
            elif kind == 'BlockCommandComment' and block.get('name') in ('return', 'returns', 'result'):
                text = 'Returns: ' + text
            parts.append(text)
    return ' '.join(parts)


def identity_fields(include_dir):
    """The comments of the fields that the driver identity macro puts into every driver record,
    from that macro's own doc comment (clang attaches none to fields written by a macro)."""
    found = {}
    path = os.path.join(include_dir, 'corvane', 'system.h')
    if not os.path.exists(path):
        return found
    with open(path, encoding='utf-8') as f:
        lines = f.read().split('\n')
    for i, line in enumerate(lines):
        if re.match(r'^\s*#\s*define\s+CORVANE_DRIVER_IDENTITY\b', line):
            j = i - 1
            while j >= 0 and not lines[j].lstrip().startswith('/*'):
                m = IDENTITY_FIELD.match(lines[j])
                if m:
                    found[m.group(1)] = m.group(2)
                j -= 1
            break
    return found


def with_files(nodes, include_dir):
    """Yields (node, header) for the top-level nodes that come from the public headers; the
    syntax tree names a file only where it changes."""
    current = None
    root = os.path.realpath(include_dir) + os.sep
    for node in nodes:
        loc = node.get('loc', {})
        name = loc.get('file') or loc.get('spellingLoc', {}).get('file') or loc.get(
            'expansionLoc', {}).get('file')
        if name:
            current = os.path.realpath(name)
        if current and current.startswith(root):
            yield node, os.path.relpath(current, root)


def describe(include_dir, clang):
    names = headers(include_dir)
    source = ''.join('#include "%s"\n' % h for h in names)
    ast = clang_ast(clang, include_dir, source)
    functions, globals_, records, types = [], [], [], []
    identity = identity_fields(include_dir)
    for node, header in with_files(ast.get('inner', []), include_dir):
        kind = node.get('kind')
        if node.get('isImplicit'):
            continue
        if kind == 'FunctionDecl':
            params = [{'name': p.get('name', ''), 'type': p['type']['qualType']}
                      for p in node.get('inner', []) if p.get('kind') == 'ParmVarDecl']
            full = node['type']['qualType']
            functions.append({'name': node['name'], 'result': full.split('(')[0].strip(),
                              'parameters': params, 'variadic': bool(node.get('variadic')),
                              'header': header, 'comment': comment_text(node)})
        elif kind == 'VarDecl':
            globals_.append({'name': node['name'], 'type': node['type']['qualType'],
                             'header': header, 'comment': comment_text(node)})
        elif kind == 'RecordDecl' and node.get('completeDefinition') and node.get('name'):
            fields = [{'name': f.get('name', ''), 'type': f['type']['qualType'],
                       'comment': comment_text(f) or (identity.get(f.get('name', ''), '')
                                                      if 'spellingLoc' in f.get('loc', {}) else '')}
                      for f in node.get('inner', []) if f.get('kind') == 'FieldDecl']
            records.append({'name': node['name'], 'kind': node.get('tagUsed', 'struct'),
                            'fields': fields, 'header': header, 'comment': comment_text(node)})
        elif kind == 'TypedefDecl':
            types.append({'name': node['name'], 'type': node['type']['qualType'],
                          'header': header, 'comment': comment_text(node)})
    return names, functions, globals_, records, types


def macro_definitions(include_dir, names):
    """Object-like macros of the headers, with the comment beside or above each."""
    found = []
    for header in names:
        with open(os.path.join(include_dir, header), encoding='utf-8') as f:
            lines = f.read().split('\n')
        for i, line in enumerate(lines):
            m = DEFINE.match(line)
            if not m or m.group(2) or NOT_CONSTANTS.match(m.group(1)):
                continue
            # A definition continued over several lines is read as one.
            value = m.group(3)
            k = i
            while value.endswith('\\') and k + 1 < len(lines):
                k += 1
                value = value[:-1].rstrip() + ' ' + lines[k].strip()
            # So is a comment behind the value that goes on over several lines.
            start = value.find('/*')
            while start >= 0 and '*/' not in value[start:] and k + 1 < len(lines):
                k += 1
                value += ' ' + lines[k].strip()
            value = ' '.join(value.split())
            comment = ''
            inline = re.search(r'/\*(.*?)\*/', value)
            above = lines[i - 1].strip() if i > 0 else ''
            if inline:
                comment = inline.group(1)
                value = value[:inline.start()].strip()
            elif above.endswith('*/') and not above.startswith('#'):
                block = []
                for j in range(i - 1, -1, -1):
                    block.insert(0, lines[j].strip())
                    if lines[j].strip().startswith('/*'):
                        break
                comment = ' '.join(block)
                comment = comment[2:-2] if comment.startswith('/*') else comment
            # Doc-comment markers ("/**", "/**<") and the leading stars of continued lines go.
            comment = re.sub(r'^[*!]<?', '', comment.strip())
            comment = re.sub(r'\s\*\s', ' ', ' ' + comment + ' ')
            comment = ' '.join(comment.replace('@code', '').replace('@endcode', '').split())
            if not value:
                continue
            found.append({'name': m.group(1), 'text': value, 'header': header, 'comment': comment})
    return found


def evaluate_constants(include_dir, names, macros, clang):
    """Integer values of the macros, worked out by the compiler itself."""
    source = ''.join('#include "%s"\n' % h for h in names)
    # An enumeration constant must fit an int, so each value is taken in three 24-bit pieces and
    # its sign apart.
    for i, macro in enumerate(macros):
        # Definitions that are no expression (an initialiser list, say) are given as written.
        if ';' in macro['text'] or '=' in macro['text'] or macro['text'].startswith('.'):
            continue
        whole = '((unsigned long long)(%s))' % macro['name']
        source += ('enum { corvane_constant_%d_0 = (int)((%s >> 48) & 0xFFFF), '
                   'corvane_constant_%d_1 = (int)((%s >> 24) & 0xFFFFFF), '
                   'corvane_constant_%d_2 = (int)(%s & 0xFFFFFF), '
                   'corvane_constant_%d_3 = ((%s) < 0) };\n'
                   % (i, whole, i, whole, i, whole, i, macro['name']))
    ast = clang_ast(clang, include_dir, source)
    pieces = {}

    def walk(n):
        if n.get('kind') == 'EnumConstantDecl' and n.get('name', '').startswith('corvane_constant_'):
            for child in n.get('inner', []):
                if child.get('kind') == 'ConstantExpr' and 'value' in child:
                    _, _, index, piece = n['name'].rsplit('_', 3)
                    pieces.setdefault(int(index), {})[int(piece)] = int(child['value'])
        for child in n.get('inner', []):
            walk(child)

    walk(ast)
    values = {}
    for i, p in pieces.items():
        if len(p) != 4:
            continue
        value = (p[0] << 48) | (p[1] << 24) | p[2]
        values[i] = value - (1 << 64) if p[3] else value
    constants = []
    for i, macro in enumerate(macros):
        entry = {'name': macro['name'], 'header': macro['header'], 'comment': macro['comment']}
        if i in values:
            entry['value'] = values[i]
        elif macro['text'].startswith('"'):
            entry['value'] = json.loads(macro['text']) if macro['text'].endswith('"') else macro['text']
        else:
            entry['definition'] = macro['text']
        constants.append(entry)
    return constants


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('include_dir')
    parser.add_argument('output')
    parser.add_argument('--clang', default='clang')
    args = parser.parse_args()
    names, functions, globals_, records, types = describe(args.include_dir, args.clang)
    constants = evaluate_constants(args.include_dir, names,
                                   macro_definitions(args.include_dir, names), args.clang)
    description = {'headers': names, 'functions': functions, 'globals': globals_,
                   'records': records, 'types': types, 'constants': constants}
    with open(args.output, 'w', encoding='utf-8') as out:
        json.dump(description, out, indent=1, sort_keys=False)
        out.write('\n')


if __name__ == '__main__':
    main()
