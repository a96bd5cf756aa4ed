#include "Keywords.h"

#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

#include "RenderOptions.h"

namespace py = pybind11;

namespace diffrascope::python {
namespace {

// The module's own keywords beside the renderer's options.
constexpr const char *kMetricsKeyword = "metrics"; // the renderer's --metrics FILE: here True or False
constexpr const char *kOutputKeyword = "output";   // the renderer's picture file: here the result's arrays
constexpr const char *kThreadsKeyword = "threads";
constexpr const char *kMetricsToResult = "--metrics=-"; // the numbers, into the result

constexpr const char *kMetricsText =
    "True: measure the image (Strehl ratio, peak, FWHM, encircled energy), as --metrics does; the numbers land "
    "in Result.metrics (default False).";
constexpr const char *kThreadsText =
    "Worker threads, 1 to 64; 0 (the default) takes DIFFRASCOPE_THREADS, else every core, as the renderer does.";

// The longest shortest fixed-point text of a double: 309 digits of DBL_MAX,
// or the 324 decimals of the smallest subnormal, with a sign and a point.
constexpr std::size_t kLongestNumber = 400;

// ---- Value syntaxes, as --help shows them -------------------------------------------

// Numbers joined by separators, the tail after "[" optional: "WAVES[@DEG]",
// "COUNT,WIDTH[@DEG]", "FROM:TO:STEP", "J=C".
struct Fields {
    QStringList names;
    QList<QChar> separators; // separators[k] stands between names[k] and names[k + 1]
    qsizetype required = 0;
};

struct ValueSyntax {
    bool flag = false;                  // no value: True or False
    std::optional<Fields> fields;       // numbers, one or a tuple
    std::optional<QChar> listSeparator; // "R[,R...]", "J=C[,J=C...]": the fields repeated
    QStringList words;                  // "amplitude|log": the words as they stand
    bool file = false;                  // "FILE": a path
};

Fields FieldsOf(const QString &text) {
    Fields fields;
    QString name;
    bool optional = false;
    auto endName = [&] {
        if (!name.isEmpty()) {
            fields.names << name;
            fields.required = optional ? fields.required : fields.names.size();
            name.clear();
        }
    };
    for (const QChar c : text) {
        if (c.isLetter()) {
            name += c;
        } else if (c == QLatin1Char('[') || c == QLatin1Char(']')) {
            endName();
            optional = true;
        } else {
            endName();
            fields.separators << c;
        }
    }
    endName();
    return fields;
}

ValueSyntax SyntaxOf(const QString &valueName) {
    ValueSyntax syntax;
    syntax.flag = valueName.isEmpty();
    for (const QString &alternative : valueName.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        if (alternative == QLatin1String("FILE")) {
            syntax.file = true;
        } else if (alternative == alternative.toLower()) {
            syntax.words << alternative;
        } else if (alternative.endsWith(QLatin1String("...]"))) {
            const qsizetype open = alternative.indexOf(QLatin1Char('['));
            syntax.listSeparator = alternative.at(open + 1);
            syntax.fields = FieldsOf(alternative.left(open));
        } else {
            syntax.fields = FieldsOf(alternative);
        }
    }
    return syntax;
}

// ---- What a Python value is -----------------------------------------------------------

bool IsInstance(py::handle value, const char *module, const char *type) {
    return py::isinstance(value, py::module_::import(module).attr(type));
}

// Any real number but a bool: int, float, numpy's scalars, Fraction.
bool IsNumber(py::handle value) {
    PyObject *object = value.ptr();
    if (PyFloat_Check(object) || PyLong_Check(object)) {
        return !PyBool_Check(object); // the common cases, without asking the number tower
    }
    return IsInstance(value, "numbers", "Real");
}

bool IsWholeNumber(py::handle value) {
    return PyLong_Check(value.ptr()) || (!PyFloat_Check(value.ptr()) && IsInstance(value, "numbers", "Integral"));
}

bool IsText(py::handle value) { return PyUnicode_Check(value.ptr()) != 0; }

bool IsSequence(py::handle value) {
    return PySequence_Check(value.ptr()) != 0 && !IsText(value) && !PyBytes_Check(value.ptr());
}

bool IsPath(py::handle value) { return IsText(value) || py::hasattr(value, "__fspath__"); }

std::string TypeName(py::handle value) { return Py_TYPE(value.ptr())->tp_name; }

// Whole numbers exactly; others as the shortest decimal that reads back as the
// same double, without an exponent (which the renderer does not read):
// 0.3 is "0.3", as a user types it.
QString NumberText(py::handle value) {
    if (IsWholeNumber(value)) {
        return QString::fromStdString(py::str(py::int_(py::reinterpret_borrow<py::object>(value))));
    }
    const double number = py::float_(py::reinterpret_borrow<py::object>(value));
    char text[kLongestNumber];
    const auto end = std::to_chars(text, text + sizeof text, number, std::chars_format::fixed).ptr;
    return QString::fromLatin1(text, end - text);
}

// ---- Values into option text ------------------------------------------------------

std::optional<QString> FieldsText(const Fields &fields, py::handle value) {
    if (IsNumber(value)) {
        return fields.required <= 1 ? std::optional(NumberText(value)) : std::nullopt;
    }
    if (!IsSequence(value)) {
        return std::nullopt;
    }
    const auto values = py::reinterpret_borrow<py::sequence>(value);
    const auto count = static_cast<qsizetype>(values.size());
    if (count < fields.required || count > fields.names.size()) {
        return std::nullopt;
    }
    QString text;
    for (qsizetype k = 0; k < count; ++k) {
        const py::object field = values[static_cast<std::size_t>(k)];
        if (!IsNumber(field)) {
            return std::nullopt;
        }
        text += (k == 0 ? QString() : QString(fields.separators.at(k - 1))) + NumberText(field);
    }
    return text;
}

// A mapping's items, a sequence's entries or one number, each the fields once.
std::optional<QString> ListText(const ValueSyntax &syntax, py::handle value) {
    py::list items;
    if (PyDict_Check(value.ptr()) || IsInstance(value, "collections.abc", "Mapping")) {
        items = py::list(value.attr("items")());
    } else if (IsSequence(value)) {
        items = py::list(py::reinterpret_borrow<py::object>(value));
    } else {
        items.append(value);
    }
    QStringList texts;
    for (const py::handle item : items) {
        const std::optional<QString> text = FieldsText(*syntax.fields, item);
        if (!text) {
            return std::nullopt;
        }
        texts << *text;
    }
    return texts.join(*syntax.listSeparator);
}

std::optional<QString> ValueText(const ValueSyntax &syntax, py::handle value) {
    if (IsText(value) && !syntax.words.isEmpty()) {
        return QString::fromStdString(value.cast<std::string>());
    }
    if (syntax.file && IsPath(value)) {
        return QString::fromStdString(py::module_::import("os").attr("fsdecode")(value).cast<std::string>());
    }
    if (!syntax.fields) {
        return std::nullopt;
    }
    return syntax.listSeparator ? ListText(syntax, value) : FieldsText(*syntax.fields, value);
}

bool FlagOf(const std::string &keyword, py::handle value) {
    if (!PyBool_Check(value.ptr())) {
        throw py::type_error("render() argument '" + keyword + "' must be True or False, not " + TypeName(value));
    }
    return value.ptr() == Py_True;
}

std::int32_t ThreadsOf(py::handle value) {
    if (PyBool_Check(value.ptr()) || !IsWholeNumber(value)) {
        throw py::type_error("render() argument 'threads' must be a whole number, not " + TypeName(value));
    }
    const py::int_ number(py::reinterpret_borrow<py::object>(value));
    int overflow = 0;
    const long long threads = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
    if (overflow != 0 || threads < std::numeric_limits<std::int32_t>::min() ||
        threads > std::numeric_limits<std::int32_t>::max()) {
        throw py::value_error(std::string(kProgram) + ": threads: " + number.attr("__str__")().cast<std::string>() +
                              " is not a thread count.");
    }
    return static_cast<std::int32_t>(threads); // the library checks its range
}

// ---- What a keyword takes, in words and as a type -------------------------------------

std::string Join(const std::vector<std::string> &parts, const char *separator) {
    std::string joined;
    for (const std::string &part : parts) {
        joined += (joined.empty() ? "" : separator) + part;
    }
    return joined;
}

// "(WAVES, DEG)" for a message, or "tuple[float, float]" for a stub, of every accepted length.
std::vector<std::string> TupleForms(const Fields &fields, bool annotation) {
    std::vector<std::string> forms;
    for (qsizetype count = std::max<qsizetype>(fields.required, 1); count <= fields.names.size(); ++count) {
        if (count == 1) {
            forms.push_back(annotation ? "float" : "a number");
            continue;
        }
        std::vector<std::string> items;
        for (qsizetype k = 0; k < count; ++k) {
            items.push_back(annotation ? "float" : fields.names.at(k).toStdString());
        }
        forms.push_back(annotation ? "tuple[" + Join(items, ", ") + "]" : "(" + Join(items, ", ") + ")");
    }
    return forms;
}

std::vector<std::string> Forms(const ValueSyntax &syntax, bool annotation) {
    std::vector<std::string> forms;
    if (syntax.flag) {
        forms.push_back(annotation ? "bool" : "True or False");
    }
    if (!syntax.words.isEmpty()) {
        std::vector<std::string> words;
        for (const QString &word : syntax.words) {
            words.push_back("'" + word.toStdString() + "'");
        }
        forms.push_back(annotation ? "Literal[" + Join(words, ", ") + "]" : Join(words, " or "));
    }
    if (syntax.file) {
        forms.push_back(annotation ? "str | os.PathLike[str]" : "a path");
    }
    if (syntax.fields && syntax.listSeparator && syntax.fields->names.size() == 2) {
        // pairs map a whole-number index to a value: {J: C}
        const std::string pair = syntax.fields->names.join(QStringLiteral(", ")).toStdString();
        forms.push_back(annotation ? "Mapping[int, float] | Sequence[tuple[int, float]]"
                                   : "a mapping or a sequence of (" + pair + ")");
    } else if (syntax.fields && syntax.listSeparator) {
        forms.push_back(annotation ? "float | Sequence[float]" : "a number or a sequence of numbers");
    } else if (syntax.fields) {
        const std::vector<std::string> tuples = TupleForms(*syntax.fields, annotation);
        forms.insert(forms.end(), tuples.begin(), tuples.end());
    }
    return forms;
}

QString KeywordName(const QString &option) {
    QString keyword = option;
    return keyword.replace(QLatin1Char('-'), QLatin1Char('_'));
}

// The renderer's options with their keywords and syntaxes, read once.
struct OptionKeyword {
    std::string keyword;
    frontend::OptionInfo option;
    ValueSyntax syntax;
};

const std::vector<OptionKeyword> &OptionKeywords() {
    static const std::vector<OptionKeyword> table = [] {
        std::vector<OptionKeyword> options;
        for (const frontend::OptionInfo &option : frontend::RenderOptions()) {
            options.push_back({KeywordName(option.name).toStdString(), option, SyntaxOf(option.valueName)});
        }
        return options;
    }();
    return table;
}

// The renderer's text with its options named as keywords: "--f-ratio" reads "f_ratio".
std::string KeywordText(const QString &description) {
    static const QRegularExpression option(QStringLiteral("--([a-z][a-z0-9-]*)"));
    QString text;
    qsizetype from = 0;
    for (QRegularExpressionMatchIterator it = option.globalMatch(description); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        text += description.mid(from, match.capturedStart() - from) + KeywordName(match.captured(1));
        from = match.capturedEnd();
    }
    return (text + description.mid(from)).toStdString();
}

} // namespace

Arguments ArgumentsOf(const py::dict &options) {
    const std::vector<OptionKeyword> &table = OptionKeywords();
    Arguments result;
    result.arguments << QLatin1String(kProgram);
    for (const auto &[key, value] : options) {
        const std::string keyword = py::str(key);
        if (keyword == kThreadsKeyword) {
            result.threads = ThreadsOf(value);
            continue;
        }
        if (keyword == kMetricsKeyword) {
            if (FlagOf(keyword, value)) {
                result.arguments << QLatin1String(kMetricsToResult);
            }
            continue;
        }
        if (keyword == kOutputKeyword) {
            throw py::type_error("render() writes no file: its result holds the picture (grey), the intensities "
                                 "(image, panels) and the FITS header (header)");
        }
        const auto known = std::find_if(table.begin(), table.end(),
                                        [&](const OptionKeyword &option) { return option.keyword == keyword; });
        if (known == table.end()) {
            throw py::type_error("render() got an unexpected keyword argument '" + keyword + "'");
        }
        const QString dashed = QStringLiteral("--") + known->option.name;
        if (known->syntax.flag) {
            if (FlagOf(keyword, value)) {
                result.arguments << dashed;
            }
            continue;
        }
        // a repeatable option takes a sequence of its values, each given as an option of its own
        const bool several = known->option.repeatable && IsSequence(value) && !IsText(value) && py::len(value) > 0 &&
                             IsSequence(value[py::int_(0)]);
        const py::list values =
            several ? py::list(py::reinterpret_borrow<py::object>(value)) : py::list(py::make_tuple(value));
        for (const py::handle item : values) {
            const std::optional<QString> text = ValueText(known->syntax, item);
            if (!text) {
                throw py::type_error("render() argument '" + keyword + "' must be " +
                                     Join(Forms(known->syntax, false), " or ") + ", not " + TypeName(item));
            }
            result.arguments << dashed + QLatin1Char('=') + *text; // "=": a value may start with "-"
        }
    }
    return result;
}

std::vector<KeywordInfo> Keywords() {
    std::vector<KeywordInfo> keywords;
    for (const OptionKeyword &option : OptionKeywords()) {
        if (option.keyword == kMetricsKeyword) {
            keywords.push_back({option.keyword, "bool", kMetricsText});
        } else if (option.keyword != kOutputKeyword) {
            std::string forms = Join(Forms(option.syntax, true), " | ");
            if (option.option.repeatable) {
                forms += " | Sequence[" + forms + "]"; // one item, or several
            }
            keywords.push_back({option.keyword, forms, KeywordText(option.option.description)});
        }
    }
    keywords.push_back({kThreadsKeyword, "int", kThreadsText});
    return keywords;
}

} // namespace diffrascope::python
