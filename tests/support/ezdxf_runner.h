// ezdxf_runner.h: running ezdxf, a third-party DXF library, from tests.
//
// Debian's python3-ezdxf is installed on first use when missing (apt-get; tests run as
// root on the project's machines) and run with the Debian python (/usr/bin/python3), which
// need not be the first python3 on the PATH. available() is false only when the package
// cannot be installed; tests then skip.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "dxf_files.h"

namespace ezdxf_runner {

inline const char* kPython = "/usr/bin/python3";

inline bool importable() {
    const std::string command = std::string(kPython) + " -c 'import ezdxf' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

inline bool available() {
    static const bool ready = [] {
        if (importable()) return true;
        const char* install =
            "DEBIAN_FRONTEND=noninteractive apt-get install -y python3-ezdxf >/dev/null 2>&1 || "
            "(apt-get update >/dev/null 2>&1 && "
            "DEBIAN_FRONTEND=noninteractive apt-get install -y python3-ezdxf >/dev/null 2>&1)";
        return std::system(install) == 0 && importable();
    }();
    return ready;
}

// Runs a Python script with the given argument; its standard output comes back.
inline std::string run_script(const std::string& script, const std::string& argument,
                              bool* ok = nullptr) {
    dxf_files::ScratchFolder scratch;
    dxf_files::write_text(scratch.path("script.py"), script);
    const std::string command = std::string(kPython) + " " + scratch.path("script.py") + " '" +
                                argument + "' > " + scratch.path("out.txt") + " 2>" +
                                scratch.path("err.txt");
    const bool success = std::system(command.c_str()) == 0;
    if (ok) *ok = success;
    std::string out = dxf_files::read_text(scratch.path("out.txt"));
    if (!success) out += dxf_files::read_text(scratch.path("err.txt"));
    return out;
}

inline bool script_succeeds(const std::string& script, const std::string& argument) {
    bool ok = false;
    run_script(script, argument, &ok);
    return ok;
}

// "<file name> errors=N fixes=M" for each file, as ezdxf's auditor finds them.
inline std::string audit(const std::vector<std::string>& paths) {
    static const char* script = R"PY(
import sys, os, ezdxf
for path in sys.argv[1].split('|'):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print(os.path.basename(path), 'errors=%d fixes=%d' % (len(auditor.errors), len(auditor.fixes)))
    for problem in auditor.errors + auditor.fixes:
        print('  ', problem.code, problem.message)
)PY";
    std::string joined;
    for (const std::string& path : paths) joined += (joined.empty() ? "" : "|") + path;
    return run_script(script, joined, nullptr);
}
inline std::string audit(std::initializer_list<std::string> paths) {
    return audit(std::vector<std::string>(paths));
}

// The drawing's content as ezdxf sees it: layers, then every block (layouts included) with
// its entities, one line each, reals rounded.
inline std::string describe(const std::string& path) {
    static const char* script = R"PY(
import sys, ezdxf
def r(v): return '%g' % round(v, 6)
def p(v): return '(' + ','.join(r(c) for c in v) + ')'
doc = ezdxf.readfile(sys.argv[1])
for layer in sorted(doc.layers, key=lambda l: l.dxf.name):
    print('layer', layer.dxf.name, 'frozen=%d off=%d' % (layer.is_frozen(), layer.is_off()),
          'color=%d' % abs(layer.dxf.color))
def entity(e):
    t = e.dxftype() + ' layer=' + e.dxf.layer
    if e.dxftype() == 'LINE': t += ' ' + p(e.dxf.start) + '-' + p(e.dxf.end)
    elif e.dxftype() == 'ARC':
        t += ' c=' + p(e.dxf.center) + ' r=' + r(e.dxf.radius) + ' a=' + r(e.dxf.start_angle) + '..' + r(e.dxf.end_angle)
    elif e.dxftype() == 'LWPOLYLINE':
        t += ' closed=%d ' % e.closed + ' '.join(p(v) for v in e.get_points('xyb'))
    elif e.dxftype() == 'INSERT':
        t += ' name=' + e.dxf.name + ' at=' + p(e.dxf.insert) + ' rot=' + r(e.dxf.rotation) + ' scale=(' + r(e.dxf.xscale) + ',' + r(e.dxf.yscale) + ')'
    if e.dxf.hasattr('color'): t += ' color=%d' % e.dxf.color
    return t
for block in sorted(doc.blocks, key=lambda b: b.name):
    flags = block.block.dxf.flags
    line = 'block ' + block.name + ' base=' + p(block.block.dxf.base_point)
    if flags & 4: line += ' xref=' + block.block.dxf.xref_path
    print(line)
    for e in block: print('  ' + entity(e))
)PY";
    return run_script(script, path, nullptr);
}

}  // namespace ezdxf_runner
