// The six on/off switches that shape how an expression is compiled: letter case, Cyrillic
// ranges, what "." matches, greediness, line anchors and extended syntax. A plain value; the
// defaults are those of a freshly created engine.
#ifndef QUIREFORGE_CHAPTERHEAD_PATTERNMODIFIERS_H_
#define QUIREFORGE_CHAPTERHEAD_PATTERNMODIFIERS_H_

namespace quireforge {

struct PatternModifiers {
  bool i = false;  // letter case ignored
  bool r = true;   // а-я, А-Я and а-Я include ё and Ё
  bool s = true;   // "." matches line separators too
  bool g = true;   // quantifiers greedy; off makes every quantifier lazy
  bool m = false;  // "^" and "$" also match at line separators
  bool x = false;  // blanks and "#" comments outside classes are ignored

  // Switches the modifier named by `letter` (either case); false for any other letter.
  bool Set(char16_t letter, bool on) {
    switch (letter) {
      case u'i':
      case u'I':
        i = on;
        return true;
      case u'r':
      case u'R':
        r = on;
        return true;
      case u's':
      case u'S':
        s = on;
        return true;
      case u'g':
      case u'G':
        g = on;
        return true;
      case u'm':
      case u'M':
        m = on;
        return true;
      case u'x':
      case u'X':
        x = on;
        return true;
      default:
        return false;
    }
  }

  friend bool operator==(const PatternModifiers&, const PatternModifiers&) = default;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_PATTERNMODIFIERS_H_
