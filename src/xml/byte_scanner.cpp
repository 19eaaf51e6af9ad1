#include "xml/byte_scanner.h"

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace xml::detail {

namespace {

thread_local ReaderChoice tChoice = ReaderChoice::Fastest;
thread_local bool tLastByBytes = false;

// Byte classes.
enum : uint8_t {
  kNameStart = 1,  // A-Z a-z _
  kNameChar = 2,   // name start, 0-9 . -
  kBlank = 4,      // space, tab, carriage return, line feed
  kPlain = 8,      // ASCII text that is copied as it is and is not blank: not < & > ] \r and not a control
  kTextStop = 16,  // < & >: where the check of text between markup stops to look
};

constexpr std::array<uint8_t, 256> makeClasses() {
  std::array<uint8_t, 256> t{};
  for (int c = 0x21; c < 0x7F; ++c) t[c] = kPlain;
  for (int c = 'A'; c <= 'Z'; ++c) t[c] |= kNameStart | kNameChar;
  for (int c = 'a'; c <= 'z'; ++c) t[c] |= kNameStart | kNameChar;
  for (int c = '0'; c <= '9'; ++c) t[c] |= kNameChar;
  t['_'] |= kNameStart | kNameChar;
  t['.'] |= kNameChar;
  t['-'] |= kNameChar;
  for (int c : {' ', '\t', '\r', '\n'}) t[c] = kBlank;
  for (int c : {'<', '&', '>', ']'}) t[c] &= ~kPlain;
  for (int c : {'<', '&', '>'}) t[c] |= kTextStop;
  return t;
}
constexpr std::array<uint8_t, 256> kClass = makeClasses();

inline uint8_t cls(char c) { return kClass[static_cast<unsigned char>(c)]; }
inline bool isBlank(char c) { return cls(c) & kBlank; }

inline const char* skipBlanks(const char* p, const char* e) {
  while (p < e && isBlank(*p)) ++p;
  return p;
}

inline bool startsWith(const char* p, const char* e, const char* lit, size_t n) {
  return size_t(e - p) >= n && std::memcmp(p, lit, n) == 0;
}
#define STARTS(p, e, lit) startsWith(p, e, lit, sizeof(lit) - 1)

// The end of an NCName at p (ASCII letters, digits, . - _, not starting with a digit, . or -), or
// nullptr.
inline const char* ncName(const char* p, const char* e) {
  if (p >= e || !(cls(*p) & kNameStart)) return nullptr;
  ++p;
  while (p < e && (cls(*p) & kNameChar)) ++p;
  return p;
}

// The end of an element or attribute name: an NCName, or two joined by one colon.
inline const char* qName(const char* p, const char* e) {
  const char* q = ncName(p, e);
  if (q && q < e && *q == ':') q = ncName(q + 1, e);
  return q;
}

inline bool startsWithXmlNoCase(const char* p, const char* e) {
  return e - p >= 3 && (p[0] | 0x20) == 'x' && (p[1] | 0x20) == 'm' && (p[2] | 0x20) == 'l';
}

inline bool isXmlChar(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

// An entity or character reference at p (on the '&'): the character it stands for and the end of
// the reference, or nullptr when it is not one this scanner reads.
const char* reference(const char* p, const char* e, uint32_t* value) {
  ++p;
  if (p < e && *p == '#') {
    ++p;
    uint32_t v = 0;
    const char* digits;
    if (p < e && *p == 'x') {
      digits = ++p;
      for (; p < e && *p != ';'; ++p) {
        const char c = *p;
        uint32_t d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return nullptr;
        v = v * 16 + d;
        if (v > 0x10FFFF) return nullptr;
      }
    } else {
      digits = p;
      for (; p < e && *p != ';'; ++p) {
        if (*p < '0' || *p > '9') return nullptr;
        v = v * 10 + uint32_t(*p - '0');
        if (v > 0x10FFFF) return nullptr;
      }
    }
    if (p == digits || p >= e || !isXmlChar(v)) return nullptr;
    *value = v;
    return p + 1;
  }
  static constexpr struct {
    const char* name;
    size_t length;
    char value;
  } kPredefined[] = {{"lt;", 3, '<'}, {"gt;", 3, '>'}, {"amp;", 4, '&'}, {"apos;", 5, '\''}, {"quot;", 5, '"'}};
  for (const auto& entity : kPredefined)
    if (startsWith(p, e, entity.name, entity.length)) {
      *value = uint32_t(entity.value);
      return p + entity.length;
    }
  return nullptr;
}

// Every byte of the document is UTF-8 of a character XML allows, the controls other than tab, line
// feed and carriage return excluded. The stream reader refuses a wrongly encoded byte anywhere in
// the document before its first element, so this is decided over the whole document first.
bool charactersAccepted(const char* b, const char* e) {
  const auto* p = reinterpret_cast<const unsigned char*>(b);
  const auto* end = reinterpret_cast<const unsigned char*>(e);
  constexpr uint64_t kOnes = ~uint64_t(0) / 255;
  while (p < end) {
#if defined(__SSE2__)
    // Sixteen bytes at a time: as signed bytes, both the controls and the bytes of multibyte
    // sequences are below 0x20; tab, line feed and carriage return are taken out again.
    if (end - p >= 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m128i low = _mm_cmplt_epi8(v, _mm_set1_epi8(0x20));
      const __m128i allowed = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t')),
                                                        _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))),
                                           _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
      const unsigned mask = unsigned(_mm_movemask_epi8(_mm_andnot_si128(allowed, low)));
      if (mask == 0) {
        p += 16;
        continue;
      }
      p += __builtin_ctz(mask);  // the first byte to look at on its own
    }
#endif
    if (end - p >= 8) {
      uint64_t w;
      std::memcpy(&w, p, 8);
      // No byte with its high bit set and none below 0x20.
      if (((w | ((w - kOnes * 0x20) & ~w)) & (kOnes * 0x80)) == 0) {
        p += 8;
        continue;
      }
    }
    const unsigned char c = *p;
    if (c < 0x80) {
      if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
      ++p;
      continue;
    }
    uint32_t cp;
    int n;
    if (c >= 0xC2 && c <= 0xDF) {
      cp = c & 0x1F;
      n = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      cp = c & 0x0F;
      n = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      cp = c & 0x07;
      n = 3;
    } else {
      return false;
    }
    if (end - p <= n) return false;
    for (int i = 1; i <= n; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || !isXmlChar(cp)) return false;
    p += n + 1;
  }
  return true;
}

// `<?xml version="1.0" encoding="UTF-8" standalone="yes"?>` with its encoding and standalone
// optional, at p; the end of it, or nullptr.
const char* declaration(const char* p, const char* e) {
  p += 5;  // <?xml
  auto pseudoAttribute = [&](const char* name, size_t n, auto valueAccepted) -> bool {
    const char* q = skipBlanks(p, e);
    if (q == p || !startsWith(q, e, name, n)) return false;
    q = skipBlanks(q + n, e);
    if (q >= e || *q != '=') return false;
    q = skipBlanks(q + 1, e);
    if (q >= e || (*q != '"' && *q != '\'')) return false;
    const char quote = *q++;
    const char* v = q;
    while (q < e && *q != quote && *q != '<' && *q != '?') ++q;
    if (q >= e || *q != quote || !valueAccepted(v, q)) return false;
    p = q + 1;
    return true;
  };
  auto is = [](const char* lit) {
    return [lit](const char* v, const char* ve) { return size_t(ve - v) == std::strlen(lit) && std::memcmp(v, lit, ve - v) == 0; };
  };
  if (!pseudoAttribute("version", 7, is("1.0"))) return nullptr;
  const char* save = p;
  if (!pseudoAttribute("encoding", 8, [](const char* v, const char* ve) {
        return ve - v == 5 && (v[0] | 0x20) == 'u' && (v[1] | 0x20) == 't' && (v[2] | 0x20) == 'f' && v[3] == '-' && v[4] == '8';
      }))
    p = save;
  save = p;
  if (!pseudoAttribute("standalone", 10, [](const char* v, const char* ve) {
        return (ve - v == 3 && std::memcmp(v, "yes", 3) == 0) || (ve - v == 2 && std::memcmp(v, "no", 2) == 0);
      }))
    p = save;
  p = skipBlanks(p, e);
  return STARTS(p, e, "?>") ? p + 2 : nullptr;
}

// A comment at p (on "<!--"): its text and its end, or nullptr when it has "--" inside or no end.
const char* comment(const char* p, const char* e, const char** textEnd) {
  const char* text = p + 4;
  const char* q = text;
  for (;;) {
    q = static_cast<const char*>(std::memchr(q, '-', size_t(e - q)));
    if (!q || e - q < 3) return nullptr;
    if (q[1] == '-') {
      if (q[2] != '>') return nullptr;
      *textEnd = q;
      return q + 3;
    }
    ++q;
  }
}

// The first occurrence of `lit` at or after p, or nullptr.
const char* find(const char* p, const char* e, const char* lit, size_t n) {
  for (;;) {
    p = static_cast<const char*>(std::memchr(p, lit[0], size_t(e - p)));
    if (!p || size_t(e - p) < n) return nullptr;
    if (std::memcmp(p, lit, n) == 0) return p;
    ++p;
  }
}

// A processing instruction at p (on "<?"): its target, the start of its data and its end, or
// nullptr. Targets beginning with "xml" in any case are left to the stream reader.
const char* processingInstruction(const char* p, const char* e, const char** targetEnd, const char** data,
                                  const char** dataEnd) {
  const char* target = p + 2;
  const char* q = ncName(target, e);
  if (!q || startsWithXmlNoCase(target, e)) return nullptr;
  *targetEnd = q;
  if (STARTS(q, e, "?>")) {
    *data = *dataEnd = q;
    return q + 2;
  }
  if (q >= e || !isBlank(*q)) return nullptr;
  q = skipBlanks(q, e);
  const char* close = find(q, e, "?>", 2);
  if (!close) return nullptr;
  *data = q;
  *dataEnd = close;
  return close + 2;
}

// Text between markup at p, up to the next '<'; nullptr when it holds something this scanner leaves
// to the stream reader (an unknown reference, a '>' after ']', ';' or '>', which may close "]]>").
const char* checkText(const char* p, const char* e) {
  while (p < e) {
    while (p < e && !(cls(*p) & kTextStop)) ++p;
    if (p == e) break;
    const char c = *p;
    if (c == '<') return p;
    if (c == '&') {
      uint32_t v;
      p = reference(p, e, &v);
      if (!p) return nullptr;
      continue;
    }
    if (c == '>' && (p[-1] == ']' || p[-1] == ';' || p[-1] == '>')) return nullptr;
    ++p;
  }
  return p;
}

// Appends one character as UTF-16.
inline char16_t* put(char16_t* o, uint32_t c) {
  if (c < 0x10000) {
    *o++ = char16_t(c);
  } else {
    c -= 0x10000;
    *o++ = char16_t(0xD800 + (c >> 10));
    *o++ = char16_t(0xDC00 + (c & 0x3FF));
  }
  return o;
}

// Decodes one UTF-8 sequence of two to four bytes at p (already checked) into o.
inline char16_t* putMultibyte(char16_t* o, const char*& p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  const unsigned char c = u[0];
  uint32_t cp;
  if (c < 0xE0) {
    cp = (uint32_t(c & 0x1F) << 6) | (u[1] & 0x3F);
    p += 2;
  } else if (c < 0xF0) {
    cp = (uint32_t(c & 0x0F) << 12) | (uint32_t(u[1] & 0x3F) << 6) | (u[2] & 0x3F);
    p += 3;
  } else {
    cp = (uint32_t(c & 0x07) << 18) | (uint32_t(u[1] & 0x3F) << 12) | (uint32_t(u[2] & 0x3F) << 6) | (u[3] & 0x3F);
    p += 4;
  }
  return put(o, cp);
}

// Decodes [p, e) of text (references replaced when `references`), CDATA or a comment; a carriage
// return, alone or before a line feed, becomes one line feed.
char16_t* decodeText(char16_t* o, const char* p, const char* e, bool references) {
  while (p < e) {
    const char c = *p;
    if (cls(c) & (kPlain | kBlank)) {
      if (c == '\r') {
        *o++ = u'\n';
        ++p;
        if (p < e && *p == '\n') ++p;
        continue;
      }
      *o++ = char16_t(c);
      ++p;
    } else if (static_cast<unsigned char>(c) >= 0x80) {
      o = putMultibyte(o, p);
    } else if (c == '&' && references) {
      uint32_t v = 0;
      p = reference(p, e, &v);
      o = put(o, v);
    } else {
      *o++ = char16_t(static_cast<unsigned char>(c));
      ++p;
    }
  }
  return o;
}

// The text of a comment or a processing instruction's data, [p, e), as a new string.
QString decodedText(const char* p, const char* e) {
  QString out(e - p, Qt::Uninitialized);
  char16_t* begin = reinterpret_cast<char16_t*>(out.data());
  out.truncate(decodeText(begin, p, e, false) - begin);
  return out;
}

// An attribute value: references replaced, every blank (a carriage return and line feed together)
// one space.
QString attributeValue(const char* p, const char* e) {
  QString out(e - p, Qt::Uninitialized);
  char16_t* o = reinterpret_cast<char16_t*>(out.data());
  char16_t* const begin = o;
  while (p < e) {
    const char c = *p;
    if (static_cast<unsigned char>(c) >= 0x80) {
      o = putMultibyte(o, p);
    } else if (c == '&') {
      uint32_t v = 0;
      p = reference(p, e, &v);
      o = put(o, v);
    } else if (isBlank(c)) {
      *o++ = u' ';
      ++p;
      if (c == '\r' && p < e && *p == '\n') ++p;
    } else {
      *o++ = char16_t(c);
      ++p;
    }
  }
  out.truncate(o - begin);
  return out;
}

// Blanks removed at both ends and every inner run of them one space, in place; the new end.
char16_t* normalizeInPlace(char16_t* begin, char16_t* end) {
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  char16_t* o = begin;
  bool pending = false;
  for (const char16_t* p = begin; p < end; ++p) {
    if (blank(*p)) {
      pending = o != begin;
      continue;
    }
    if (pending) {
      *o++ = u' ';
      pending = false;
    }
    *o++ = *p;
  }
  return o;
}

}  // namespace

void setReaderChoice(ReaderChoice choice) { tChoice = choice; }
ReaderChoice readerChoice() { return tChoice; }
bool lastDocumentReadByBytes() { return tLastByBytes; }
void noteDocumentReadByBytes(bool byBytes) { tLastByBytes = byBytes; }

bool ByteScanner::accepts(const QByteArray& data) {
  const char* p = data.constData();
  const char* const e = p + data.size();
  if (!charactersAccepted(p, e)) return false;
  if (STARTS(p, e, "\xEF\xBB\xBF")) p += 3;
  if (STARTS(p, e, "<?xml")) {
    p = declaration(p, e);
    if (!p) return false;
  }
  struct Open {
    const char* name;
    qsizetype length;
  };
  std::vector<Open> open;
  bool rootSeen = false;
  for (;;) {
    if (open.empty()) {
      p = skipBlanks(p, e);
      if (p == e) return rootSeen;
      if (*p != '<') return false;  // text outside the root element
    } else if (*p != '<') {
      p = checkText(p, e);
      if (!p || p == e) return false;
      continue;
    }
    // On a '<'.
    if (p + 1 >= e) return false;
    const char c = p[1];
    if (c == '/') {
      if (open.empty()) return false;
      const Open& top = open.back();
      const char* q = p + 2;
      if (e - q < top.length || std::memcmp(q, top.name, size_t(top.length)) != 0) return false;
      q += top.length;
      if (q < e && (cls(*q) & kNameChar || *q == ':')) return false;
      q = skipBlanks(q, e);
      if (q >= e || *q != '>') return false;
      p = q + 1;
      open.pop_back();
    } else if (c == '!') {
      if (STARTS(p, e, "<!--")) {
        const char* textEnd;
        p = comment(p, e, &textEnd);
        if (!p) return false;
      } else if (!open.empty() && STARTS(p, e, "<![CDATA[")) {
        const char* close = find(p + 9, e, "]]>", 3);
        if (!close) return false;
        p = close + 3;
        // Text right after a section that starts with '>' is left to the stream reader.
        if (p < e && *p == '>') return false;
      } else {
        return false;  // a document type declaration, or something that is not XML
      }
    } else if (c == '?') {
      const char *targetEnd, *data, *dataEnd;
      p = processingInstruction(p, e, &targetEnd, &data, &dataEnd);
      if (!p) return false;
    } else {
      if (open.empty() && rootSeen) return false;  // a second root element
      const char* name = p + 1;
      const char* q = qName(name, e);
      if (!q) return false;
      const qsizetype nameLength = q - name;
      struct Attr {
        const char* name;
        qsizetype length;
      };
      Attr attrs[16];
      int attrCount = 0;
      bool empty = false;
      for (;;) {
        const char* r = skipBlanks(q, e);
        if (r >= e) return false;
        if (*r == '>') {
          p = r + 1;
          break;
        }
        if (*r == '/') {
          if (r + 1 >= e || r[1] != '>') return false;
          p = r + 2;
          empty = true;
          break;
        }
        if (r == q) return false;  // no blank before an attribute
        const char* an = r;
        r = qName(an, e);
        if (!r || startsWithXmlNoCase(an, e)) return false;
        const qsizetype anLength = r - an;
        for (int i = 0; i < attrCount; ++i)
          if (attrs[i].length == anLength && std::memcmp(attrs[i].name, an, size_t(anLength)) == 0) return false;
        if (attrCount == 16) return false;
        attrs[attrCount++] = {an, anLength};
        r = skipBlanks(r, e);
        if (r >= e || *r != '=') return false;
        r = skipBlanks(r + 1, e);
        if (r >= e || (*r != '"' && *r != '\'')) return false;
        const char quote = *r++;
        while (r < e && *r != quote) {
          if (*r == '<') return false;
          if (*r == '&') {
            uint32_t v;
            r = reference(r, e, &v);
            if (!r) return false;
          } else {
            ++r;
          }
        }
        if (r >= e) return false;
        q = r + 1;
      }
      rootSeen = true;
      if (!empty) open.push_back({name, nameLength});
    }
  }
}

void ByteScanner::start(const QByteArray& data) {
  data_ = data;
  p_ = data_.constData();
  end_ = p_ + data_.size();
  if (STARTS(p_, end_, "\xEF\xBB\xBF")) p_ += 3;
  declarationPending_ = STARTS(p_, end_, "<?xml");
  finished_ = false;
  open_.clear();
}

const QString& ByteScanner::intern(const char* s, qsizetype n) {
  // The length and the first two and last two characters tell the names of one file apart well.
  const auto u = [&](qsizetype i) { return uint32_t(static_cast<unsigned char>(s[i])); };
  const uint32_t h = (uint32_t(n) * 0x9E3779B1u) ^ (u(0) * 0x85EBCA77u) ^ (u(n > 1) * 0xC2B2AE3Du) ^
                     (u(n - 1) * 0x27D4EB2Fu) ^ (u(n > 2 ? n - 2 : 0) * 0x165667B1u);
  NameSlot& slot = names_[(h ^ (h >> 15) ^ (h >> 23)) & (names_.size() - 1)];
  if (qsizetype(slot.key.size()) != n || std::memcmp(slot.key.data(), s, size_t(n)) != 0) {
    slot.key.assign(s, size_t(n));
    slot.name = QString::fromLatin1(s, n);
  }
  return slot.name;
}

void ByteScanner::startTag(PartKind& kind, QString& name, QString& content,
                           QList<QPair<QString, QString>>& attributes) {
  const char* const e = end_;
  const char* q = p_ + 1;
  const char* nameEnd = qName(q, e);
  name = intern(q, nameEnd - q);
  content.clear();
  if (!attributes.isEmpty()) attributes.clear();
  q = nameEnd;
  for (;;) {
    q = skipBlanks(q, e);
    if (*q == '>') {
      p_ = q + 1;
      kind = PartKind::StartTag;
      open_.push_back(name);  // the slot may have gone to an attribute's name since
      return;
    }
    if (*q == '/') {
      p_ = q + 2;
      kind = PartKind::EmptyTag;
      return;
    }
    const char* an = q;
    q = qName(an, e);
    QString attributeName = intern(an, q - an);
    q = skipBlanks(q, e);
    q = skipBlanks(q + 1, e);  // '='
    const char quote = *q++;
    const char* v = q;
    while (*q != quote) ++q;
    attributes.append({std::move(attributeName), attributeValue(v, q)});
    ++q;
  }
}

bool ByteScanner::contentRun(bool normalize, QString& content) {
  const char* const e = end_;
  const char* p = p_;
  if (normalize) {
    // Blanks at the start go anyway; blanks up to a tag (indentation) are no part at all.
    while (isBlank(*p)) ++p;
    if (*p == '<' && p[1] != '!') {
      p_ = p;
      return false;
    }
  }
  // The run's end: the first '<' outside a CDATA section that does not open another one.
  const char* q = p;
  for (;;) {
    q = static_cast<const char*>(std::memchr(q, '<', size_t(e - q)));
    if (q[1] != '!' || !STARTS(q, e, "<![CDATA[")) break;
    q = find(q + 9, e, "]]>", 3) + 3;
  }
  // The text is written into a buffer of this scanner that is handed out shared; it is written
  // over again only when no one else holds it (the part's content is cleared at the next tag).
  const qsizetype room = q - p;
  if (!buffer_.isDetached() || buffer_.capacity() < room) buffer_ = QString(std::max(room, qsizetype(64)), Qt::Uninitialized);
  buffer_.resize(room);
  char16_t* const begin = reinterpret_cast<char16_t*>(buffer_.data());
  char16_t* o = begin;
  // Plain ASCII with no blank, the most common value, is copied as it is.
  while (p < q && (cls(*p) & kPlain)) *o++ = char16_t(*p++);
  bool changed = false;
  if (p < q) {
    changed = true;
    while (p < q) {
      if (*p == '<') {  // a CDATA section
        const char* close = find(p + 9, e, "]]>", 3);
        o = decodeText(o, p + 9, close, false);
        p = close + 3;
      } else {
        const char* lt = static_cast<const char*>(std::memchr(p, '<', size_t(q - p)));
        if (!lt) lt = q;
        o = decodeText(o, p, lt, true);
        p = lt;
      }
    }
  }
  p_ = q;
  if (normalize) {
    if (changed) o = normalizeInPlace(begin, o);
    if (o == begin) return false;  // blanks only, before a comment or a processing instruction
  }
  buffer_.truncate(o - begin);
  content = buffer_;
  return true;
}

bool ByteScanner::next(bool normalize, PartKind& kind, QString& name, QString& content,
                       QList<QPair<QString, QString>>& attributes) {
  const char* const e = end_;
  if (declarationPending_) {
    declarationPending_ = false;
    p_ = declaration(p_, e);
    kind = PartKind::XmlDeclaration;
    name.clear();
    content.clear();
    return true;
  }
  for (;;) {
    if (finished_) break;
    if (open_.empty()) {
      p_ = skipBlanks(p_, e);
      if (p_ == e) {
        finished_ = true;
        break;
      }
    } else if (*p_ != '<' || STARTS(p_, e, "<![CDATA[")) {
      if (contentRun(normalize, content)) {
        kind = PartKind::Content;
        return true;
      }
      continue;
    }
    // On a '<' of a tag, a comment or a processing instruction.
    const char c = p_[1];
    if (c == '/') {
      kind = PartKind::EndTag;
      name = std::move(open_.back());
      open_.pop_back();
      content.clear();
      p_ = static_cast<const char*>(std::memchr(p_, '>', size_t(e - p_))) + 1;
      return true;
    }
    if (c == '!') {
      const char* textEnd;
      const char* after = comment(p_, e, &textEnd);
      content = decodedText(p_ + 4, textEnd);
      kind = PartKind::Comment;
      p_ = after;
      return true;
    }
    if (c == '?') {
      const char *targetEnd, *data, *dataEnd;
      const char* after = processingInstruction(p_, e, &targetEnd, &data, &dataEnd);
      name = intern(p_ + 2, targetEnd - (p_ + 2));
      content = decodedText(data, dataEnd);
      kind = PartKind::ProcessingInstruction;
      p_ = after;
      return true;
    }
    startTag(kind, name, content, attributes);
    return true;
  }
  kind = PartKind::EndOfDocument;
  content.clear();
  return false;
}

}  // namespace xml::detail
