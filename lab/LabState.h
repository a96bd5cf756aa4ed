#pragma once
// What the lab window shows, held as the renderer's own option list: every
// control writes one option's value as the renderer reads it ("0.25",
// "4,1@45", "visual"), and the job is what the renderer's parser makes of
// the list. So the panels on screen are, by construction, the ones
// `diffrascope-render` draws for the same options, and "Copy as command"
// hands the list over as it is.

#include <QMap>
#include <QString>
#include <QStringList>

#include <variant>

#include "RenderOptions.h"

namespace diffrascope::lab {

inline constexpr const char *kProgram = "diffrascope-lab";
inline constexpr const char *kRenderer = "diffrascope-render";
inline constexpr const char *kSheetFile = "sheet.png"; // the copied command's output
inline constexpr const char *kFlagOn = "on";          // a flag's value in the state

class LabState {
  public:
    // The lab's start: the renderer's defaults and a star test of 8 waves either side.
    static LabState Defaults();

    // The option's value as the renderer reads it; empty when the renderer's default holds.
    // A repeatable option (a zone each) has one value per item: Value gives the first.
    QString Value(const QString &option) const { return values_.value(option).value(0); }
    QStringList Values(const QString &option) const { return values_.value(option); }
    bool Has(const QString &option) const { return values_.contains(option); }
    // An empty value, or the renderer's default, removes the option.
    void Set(const QString &option, const QString &value);
    // One value per item, each given as its own "--option value"; none removes the option.
    void SetValues(const QString &option, const QStringList &values);

    // "--option value" pairs in the order of the renderer's --help, a repeatable
    // option's in the order of its items.
    QStringList Arguments() const;
    // The renderer's command that draws the sheet on screen, ready for a shell.
    QString RenderCommand() const;
    // The renderer's parser on the list, as the lab reads its own command line.
    frontend::CommandLineOutcome Parse() const;

    bool operator==(const LabState &) const = default;

  private:
    QMap<QString, QStringList> values_;
};

// The renderer's default value of an option as text ("550" for wavelength);
// empty for options without one.
QString DefaultValue(const QString &option);

// Options the window has no use for: its outputs and the views it never shows.
bool IsRefusedOption(const QString &option);

// The lab's command line (arguments[0] is the program): a state built from
// the lab's defaults and the options given, the help or version text, or the
// renderer's refusal.
struct StartOutcome {
    frontend::CommandLineOutcome::Action action = frontend::CommandLineOutcome::Action::Refuse;
    LabState state;
    QString text; // help, version or refusal
};
StartOutcome ReadCommandLine(const QStringList &arguments);

// A whole command or option list typed or stored as text, split as a shell
// splits words in single quotes.
QString ShellQuoted(const QString &word);

} // namespace diffrascope::lab
