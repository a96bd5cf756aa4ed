#pragma once
// render()'s keywords: the renderer's options, named with "_" for "-", each
// value written as the option's text so that the renderer's own parser reads
// it, with the renderer's ranges and messages. How a value is written follows
// the option's value syntax as --help shows it: coma=(0.3, 30) is
// "--coma=0.3@30", spider=(4, 1.0) "--spider=4,1", zernike={8: 0.05}
// "--zernike=8=0.05", through_focus=(-4, 4, 2) "--through-focus=-4:4:2".

#include <QStringList>

#include <cstdint>
#include <string>
#include <vector>

#include <pybind11/pybind11.h>

namespace diffrascope::python {

// The program's name, which starts every refusal.
inline constexpr const char *kProgram = "diffrascope";

struct Arguments {
    QStringList arguments;   // the command line, the program's name first
    std::int32_t threads = 0; // 0: DIFFRASCOPE_THREADS, else every core
};

// Throws TypeError (pybind11::type_error) for an unknown keyword or a value
// of the wrong type, ValueError for a thread count beyond any limit.
Arguments ArgumentsOf(const pybind11::dict &options);

// Every keyword render() takes, for its docstring and the type stubs.
struct KeywordInfo {
    std::string name;
    std::string annotation;  // the Python type, as a stub writes it
    std::string description; // the renderer's, or the module's own
};
std::vector<KeywordInfo> Keywords();

} // namespace diffrascope::python
