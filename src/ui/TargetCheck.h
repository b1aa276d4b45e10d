// The check that keeps Add from writing a book over one of its own sources.
#ifndef QUIREFORGE_UI_TARGETCHECK_H_
#define QUIREFORGE_UI_TARGETCHECK_H_

#include <QString>
#include <QStringList>

namespace quireforge {

// Raises std::runtime_error ("Cannot create file "<target>". It is one of the source
// files.") when `target` names the same file as one of `sources`: the same path once
// made absolute and resolved, or the same file reached through another link.
void RefuseTargetAmongSources(const QString& target, const QStringList& sources);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_TARGETCHECK_H_
