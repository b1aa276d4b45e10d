#include "chapterhead/PatternParser.h"

#include <algorithm>

#include "chapterhead/PatternCaseInversion.h"
#include "chapterhead/PatternEngineError.h"

namespace quireforge {

namespace {

constexpr int kMaxBraceDigits = 8;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool IsQuantifierStart(char16_t c) { return c == u'*' || c == u'+' || c == u'?' || c == u'{'; }

bool IsFreeSpacing(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

// The letters that name a character set after "\".
bool IsSetEscape(char16_t c) {
  return c == u'd' || c == u'D' || c == u'w' || c == u'W' || c == u's' || c == u'S';
}

// The single-character tests of the counted-loop rule: a literal, "." with s on, a class, a
// set escape, an escaped character or a back-reference.
bool IsSingleCharacterTest(const PatternAtom& atom) {
  if (atom.kind == PatternAtom::Kind::kBackref) return true;
  return atom.kind == PatternAtom::Kind::kUnit && atom.op != PatternOp::kAnyButLineBreak;
}

PatternAtom Unit(PatternOp op, int32_t index = 0) {
  PatternAtom atom;
  atom.kind = PatternAtom::Kind::kUnit;
  atom.op = op;
  atom.index = index;
  return atom;
}

PatternAtom ZeroWidth(PatternOp op) {
  PatternAtom atom;
  atom.kind = PatternAtom::Kind::kZeroWidth;
  atom.op = op;
  return atom;
}

void AddWordCharacters(std::vector<std::pair<char16_t, char16_t>>* ranges) {
  ranges->push_back({u'0', u'9'});
  ranges->push_back({u'a', u'z'});
  ranges->push_back({u'A', u'Z'});
  ranges->push_back({u'_', u'_'});
}

void AddSpaceCharacters(std::vector<std::pair<char16_t, char16_t>>* ranges) {
  ranges->push_back({u' ', u' '});
  ranges->push_back({u'\t', u'\n'});
  ranges->push_back({u'\f', u'\r'});
}

}  // namespace

PatternParser::PatternParser(std::u16string_view expression, const PatternModifiers& modifiers,
                             std::vector<PatternCharClass>* classes)
    : text_(expression), modifiers_(modifiers), classes_(classes) {}

void PatternParser::Fail(int32_t code) const {
  throw EPatternEngine(code, static_cast<int64_t>(pos_));
}

PatternAlternation PatternParser::Parse() {
  if (text_.size() > kPatternMaxExpressionLength) Fail(kPatternRegexpTooBig);
  bool has_width = false;
  PatternAlternation top = ParseAlternation(&has_width);
  // The top level stops only at the end or at a ")" that closes nothing.
  if (!AtEnd()) Fail(kPatternUnopenedGroup);
  return top;
}

PatternAlternation PatternParser::ParseAlternation(bool* has_width) {
  PatternAlternation alternation;
  bool every_branch_has_width = true;
  for (;;) {
    bool branch_width = false;
    alternation.branches.push_back(ParseBranch(&branch_width));
    every_branch_has_width = every_branch_has_width && branch_width;
    if (AtEnd() || Peek() != u'|') break;
    ++pos_;
  }
  *has_width = every_branch_has_width;
  return alternation;
}

PatternBranch PatternParser::ParseBranch(bool* has_width) {
  PatternBranch branch;
  bool any_piece_has_width = false;
  for (;;) {
    SkipExtended();
    if (AtEnd() || Peek() == u'|' || Peek() == u')') break;
    bool piece_width = false;
    branch.push_back(ParsePiece(&piece_width));
    any_piece_has_width = any_piece_has_width || piece_width;
  }
  *has_width = any_piece_has_width;
  return branch;
}

PatternPiece PatternParser::ParsePiece(bool* has_width) {
  PatternPiece piece;
  bool atom_width = false;
  piece.atom = ParseAtom(&atom_width);
  *has_width = atom_width;
  SkipExtended();
  if (AtEnd()) return piece;

  const char16_t op = Peek();
  const bool braces = op == u'{' && BracesAhead();
  if (op != u'*' && op != u'+' && op != u'?' && !braces) return piece;
  if (op != u'?' && !atom_width) Fail(kPatternOperandCouldBeEmpty);

  int32_t min = 0;
  int32_t max = 0;
  if (braces) {
    ParseBraces(&min, &max);
  } else {
    min = op == u'+' ? 1 : 0;
    max = op == u'?' ? 1 : kPatternUnboundedRepeat;
    ++pos_;
  }
  SkipExtended();
  bool lazy = false;
  if (!AtEnd() && Peek() == u'?') {
    lazy = true;
    ++pos_;
    SkipExtended();
  }
  if (!AtEnd() && IsQuantifierStart(Peek())) Fail(kPatternNestedQuantifier);

  piece.repeated = true;
  piece.min = min;
  piece.max = max;
  piece.greedy = !lazy && modifiers_.g;
  piece.counted = !IsSingleCharacterTest(piece.atom) && (braces || !piece.greedy);
  *has_width = op == u'+' || (braces && max > 0);
  return piece;
}

PatternAtom PatternParser::ParseAtom(bool* has_width) {
  const char16_t c = Peek();
  switch (c) {
    case u'(':
      return ParseParenthesis(has_width);
    case u'*':
    case u'+':
    case u'?':
      Fail(kPatternQuantifierFollowsNothing);
    case u'^':
      ++pos_;
      *has_width = false;
      return ZeroWidth(modifiers_.m ? PatternOp::kLineStart : PatternOp::kInputStart);
    case u'$':
      ++pos_;
      *has_width = false;
      return ZeroWidth(modifiers_.m ? PatternOp::kLineEnd : PatternOp::kInputEnd);
    case u'.':
      ++pos_;
      *has_width = true;
      return Unit(modifiers_.s ? PatternOp::kAny : PatternOp::kAnyButLineBreak);
    case u'[':
      *has_width = true;
      return ParseClass();
    case u'\\':
      return ParseEscape(has_width);
    default:
      // Every other character, "{" that starts no quantifier included, is literal.
      ++pos_;
      *has_width = true;
      return Literal(c);
  }
}

PatternAtom PatternParser::ParseParenthesis(bool* has_width) {
  ++pos_;  // "("
  if (!AtEnd() && Peek() == u'?') {
    ++pos_;
    *has_width = false;
    if (!AtEnd() && Peek() == u'#') {
      size_t close = text_.find(u')', pos_ + 1);
      if (close == std::u16string_view::npos) {
        pos_ = text_.size();
        Fail(kPatternUnclosedComment);
      }
      pos_ = close + 1;
      return PatternAtom{};
    }
    bool on = true;
    for (;;) {
      if (AtEnd()) Fail(kPatternUnrecognizedModifier);
      const char16_t letter = Peek();
      if (letter == u')') break;
      if (letter == u'-') {
        on = false;
      } else if (!modifiers_.Set(letter, on)) {
        Fail(kPatternUnrecognizedModifier);
      }
      ++pos_;
    }
    ++pos_;  // ")"
    return PatternAtom{};
  }

  if (groups_ == kPatternMaxGroups) Fail(kPatternTooManyGroups);
  PatternAtom atom;
  atom.kind = PatternAtom::Kind::kGroup;
  atom.index = ++groups_;
  // Inline modifiers inside the group end with it.
  const PatternModifiers outer = modifiers_;
  atom.group = std::make_unique<PatternAlternation>(ParseAlternation(has_width));
  if (AtEnd()) Fail(kPatternUnclosedGroup);
  ++pos_;  // ")"
  modifiers_ = outer;
  return atom;
}

PatternAtom PatternParser::ParseEscape(bool* has_width) {
  ++pos_;  // "\"
  if (AtEnd()) Fail(kPatternTrailingBackslash);
  const char16_t letter = Peek();
  ++pos_;
  *has_width = true;
  switch (letter) {
    case u'd':
      return Unit(PatternOp::kDigit);
    case u'D':
      return Unit(PatternOp::kNotDigit);
    case u'w':
      return Unit(PatternOp::kWord);
    case u'W':
      return Unit(PatternOp::kNotWord);
    case u's':
      return Unit(PatternOp::kSpace);
    case u'S':
      return Unit(PatternOp::kNotSpace);
    case u'b':
      *has_width = false;
      return ZeroWidth(PatternOp::kWordBoundary);
    case u'B':
      *has_width = false;
      return ZeroWidth(PatternOp::kNotWordBoundary);
    case u'A':
      *has_width = false;
      return ZeroWidth(PatternOp::kInputStart);
    case u'Z':
      *has_width = false;
      return ZeroWidth(PatternOp::kInputEnd);
    case u't':
      return Literal(u'\t');
    case u'n':
      return Literal(u'\n');
    case u'r':
      return Literal(u'\r');
    case u'f':
      return Literal(u'\f');
    case u'a':
      return Literal(u'\a');
    case u'e':
      return Literal(u'\x1B');
    case u'x':
      return Literal(ParseHexCode());
    default:
      break;
  }
  if (letter >= u'1' && letter <= u'9') {
    PatternAtom atom;
    atom.kind = PatternAtom::Kind::kBackref;
    atom.op = modifiers_.i ? PatternOp::kBackrefIgnoreCase : PatternOp::kBackref;
    atom.index = letter - u'0';
    return atom;
  }
  return Literal(letter);
}

char16_t PatternParser::ParseHexCode() {
  uint32_t value = 0;
  if (!AtEnd() && Peek() == u'{') {
    ++pos_;
    int digits = 0;
    for (;;) {
      if (AtEnd()) Fail(kPatternNoHexCode);
      const char16_t c = Peek();
      if (c == u'}' && digits > 0) break;
      const int digit = HexValue(c);
      if (digit < 0) Fail(kPatternBadHexDigit);
      if (digits == 4) Fail(kPatternHexCodeTooBig);
      value = value * 16 + static_cast<uint32_t>(digit);
      ++digits;
      ++pos_;
    }
    ++pos_;  // "}"
    return static_cast<char16_t>(value);
  }
  for (int digits = 0; digits < 2; ++digits) {
    if (AtEnd()) Fail(kPatternNoHexCode);
    const int digit = HexValue(Peek());
    if (digit < 0) Fail(kPatternBadHexDigit);
    value = value * 16 + static_cast<uint32_t>(digit);
    ++pos_;
  }
  return static_cast<char16_t>(value);
}

PatternAtom PatternParser::ParseClass() {
  ++pos_;  // "["
  bool negated = false;
  if (!AtEnd() && Peek() == u'^') {
    negated = true;
    ++pos_;
  }
  Ranges ranges;
  bool first = true;
  // The previous member was a single character, which a "-" may turn into a range.
  bool after_single = false;
  char16_t single = 0;
  for (;;) {
    if (AtEnd()) Fail(kPatternUnmatchedBracket);
    char16_t c = Peek();
    if (c == u']' && !first) {
      ++pos_;
      break;
    }
    first = false;

    if (c == u'-' && after_single && pos_ + 1 < text_.size() && text_[pos_ + 1] != u']') {
      after_single = false;
      if (text_[pos_ + 1] == u'\\' && pos_ + 2 < text_.size() && IsSetEscape(text_[pos_ + 2])) {
        // "-" before a set escape is a member; the escape is read on the next round.
        ranges.push_back({u'-', u'-'});
        ++pos_;
        continue;
      }
      ++pos_;  // "-"
      char16_t last = Peek();
      ++pos_;
      if (last == u'\\') {
        if (AtEnd()) Fail(kPatternClassTrailingBackslash);
        const char16_t letter = Peek();
        ++pos_;
        last = ClassEscapeCharacter(letter);
      }
      AddRange(&ranges, single, last);
      continue;
    }

    ++pos_;
    if (c == u'\\') {
      if (AtEnd()) Fail(kPatternClassTrailingBackslash);
      const char16_t letter = Peek();
      ++pos_;
      if (letter == u'd' || letter == u'w' || letter == u's') {
        if (letter == u'd') ranges.push_back({u'0', u'9'});
        if (letter == u'w') AddWordCharacters(&ranges);
        if (letter == u's') AddSpaceCharacters(&ranges);
        after_single = false;
        continue;
      }
      c = ClassEscapeCharacter(letter);
    }
    ranges.push_back({c, c});
    after_single = true;
    single = c;
  }

  std::sort(ranges.begin(), ranges.end());
  auto [entry, added] =
      class_numbers_.try_emplace(std::make_tuple(std::move(ranges), modifiers_.i, negated),
                                 static_cast<int32_t>(classes_->size()));
  if (added) classes_->emplace_back(std::get<0>(entry->first), modifiers_.i, negated);
  return Unit(PatternOp::kClass, entry->second);
}

char16_t PatternParser::ClassEscapeCharacter(char16_t letter) {
  switch (letter) {
    case u't':
      return u'\t';
    case u'n':
      return u'\n';
    case u'r':
      return u'\r';
    case u'f':
      return u'\f';
    case u'a':
      return u'\a';
    case u'e':
      return u'\x1B';
    case u'x':
      return ParseHexCode();
    default:
      // "\D", "\W" and "\S" add the letters themselves, like any other escaped character.
      return letter;
  }
}

void PatternParser::AddRange(Ranges* ranges, char16_t first, char16_t last) {
  constexpr char16_t kSmallA = u'\u0430', kSmallYa = u'\u044F', kSmallYo = u'\u0451';
  constexpr char16_t kCapitalA = u'\u0410', kCapitalYa = u'\u042F', kCapitalYo = u'\u0401';
  if (modifiers_.r) {
    // The Russian alphabet ranges include ё and Ё, which lie outside them in code order.
    const bool small = first == kSmallA && last == kSmallYa;
    const bool capital = first == kCapitalA && last == kCapitalYa;
    const bool both = first == kSmallA && last == kCapitalYa;
    if (small || both) {
      ranges->push_back({kSmallA, kSmallYa});
      ranges->push_back({kSmallYo, kSmallYo});
    }
    if (capital || both) {
      ranges->push_back({kCapitalA, kCapitalYa});
      ranges->push_back({kCapitalYo, kCapitalYo});
    }
    if (small || capital || both) return;
  }
  if (first > last) Fail(kPatternInvalidRange);
  ranges->push_back({first, last});
}

bool PatternParser::BracesAhead() const {
  size_t p = pos_ + 1;
  const size_t n = text_.size();
  if (p >= n || !IsDigit(text_[p])) return false;
  while (p < n && IsDigit(text_[p])) ++p;
  if (p >= n) return false;
  if (text_[p] == u'}') return true;
  if (text_[p] != u',') return false;
  ++p;
  while (p < n && IsDigit(text_[p])) ++p;
  return p < n && text_[p] == u'}';
}

void PatternParser::ParseBraces(int32_t* min, int32_t* max) {
  ++pos_;  // "{"
  *min = ParseBraceNumber();
  *max = *min;
  if (Peek() == u',') {
    ++pos_;
    *max = Peek() == u'}' ? kPatternUnboundedRepeat : ParseBraceNumber();
  }
  if (*min > *max) Fail(kPatternBracesMinGreaterThanMax);
  ++pos_;  // "}"
}

int32_t PatternParser::ParseBraceNumber() {
  int32_t value = 0;
  for (int digits = 0; IsDigit(Peek()); ++digits) {
    if (digits == kMaxBraceDigits) Fail(kPatternBracesArgumentTooBig);
    value = value * 10 + (Peek() - u'0');
    ++pos_;
  }
  return value;
}

void PatternParser::SkipExtended() {
  if (!modifiers_.x) return;
  while (!AtEnd()) {
    if (IsFreeSpacing(Peek())) {
      ++pos_;
    } else if (Peek() == u'#') {
      while (!AtEnd() && !IsLineBreak(Peek())) ++pos_;
      while (!AtEnd() && IsLineBreak(Peek())) ++pos_;
    } else {
      break;
    }
  }
}

PatternAtom PatternParser::Literal(char16_t c) const {
  PatternAtom atom = Unit(PatternOp::kChar);
  atom.c = c;
  if (modifiers_.i) {
    const char16_t inverted = InvertCase(c);
    if (inverted != c) {
      atom.op = PatternOp::kCharEither;
      atom.c2 = inverted;
    }
  }
  return atom;
}

}  // namespace quireforge
