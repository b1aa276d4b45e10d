// The failures the core and the archive component raise carry English texts (the command
// line shows them as they are). FailureText gives such a text in the interface language:
// each line that matches one of the language's failure patterns is rewritten, keeping the
// paths and names it holds; a line no pattern knows stays as it is. Free function; any thread.
#ifndef QUIREFORGE_UI_FAILURETEXT_H_
#define QUIREFORGE_UI_FAILURETEXT_H_

#include <QString>

namespace quireforge {

struct InterfaceTexts;

QString FailureText(const InterfaceTexts& texts, const QString& english);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_FAILURETEXT_H_
