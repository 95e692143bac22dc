#include "assets/shader_macros.h"

#include <limits>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

constexpr int MAX_NESTING = 256;  // calls within calls, and macros naming macros defined later
constexpr size_t MAX_PARAMETERS = 256;  // a macro of more is taken as one that grows past bound
constexpr double TOO_MANY = std::numeric_limits<double>::infinity();
constexpr size_t UNCLOSED = SIZE_MAX;

struct Token {
    std::string_view text;
    bool identifier;
    size_t closing;  // for a "(": the index of its ")" in the same body or text, or UNCLOSED
};

// A length as a constant plus a multiple of each parameter's length, in tokens.
using LengthForm = std::vector<double>;  // [0] the constant, [1 + p] parameter p's multiple

struct Macro {
    std::vector<std::string_view> parameters;
    std::unordered_map<std::string_view, size_t> parameterIndex;
    bool function;
    size_t bodyFirst, bodyEnd;  // in ShaderMacros::bodies
    bool measured, measuring;
    LengthForm length;
};

struct ShaderMacros {
    std::vector<Token> text;    // the text outside directives
    std::vector<Token> bodies;  // every #define's body, one after another
    std::vector<Macro> macros;
    std::unordered_map<std::string_view, size_t> byName;  // the latest definition of a name
    int depth;
};

bool isIdentifierStart(char c) {
    return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isIdentifierPart(char c) { return isIdentifierStart(c) || (c >= '0' && c <= '9'); }

// Splits the text into tokens; a line break outside comments and continuations ends a directive.
struct Scanner {
    const char* p;
    const char* end;
    bool lineEnded;  // the logical line has no more tokens
};

// Skips blanks, comments and escaped line ends; true at a line break, which it also skips.
bool skipSpace(Scanner* s) {
    while (s->p < s->end) {
        const char c = *s->p;
        if (c == '\n') {
            ++s->p;
            return true;
        }
        if (c == '\\' && s->p + 1 < s->end && s->p[1] == '\n') {
            s->p += 2;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++s->p;
        } else if (c == '/' && s->p + 1 < s->end && s->p[1] == '/') {
            while (s->p < s->end && *s->p != '\n') ++s->p;
        } else if (c == '/' && s->p + 1 < s->end && s->p[1] == '*') {
            s->p += 2;
            while (s->p + 1 < s->end && !(s->p[0] == '*' && s->p[1] == '/')) ++s->p;
            s->p = s->p + 1 < s->end ? s->p + 2 : s->end;
        } else {
            return false;
        }
    }
    return false;
}

// The next token of the logical line; false at its end.
bool nextToken(Scanner* s, Token* token) {
    if (s->lineEnded || skipSpace(s) || s->p == s->end) {
        s->lineEnded = true;
        return false;
    }
    const char* first = s->p;
    const bool identifier = isIdentifierStart(*first);
    if (identifier || (*first >= '0' && *first <= '9')) {
        while (s->p < s->end && (isIdentifierPart(*s->p) || *s->p == '.')) ++s->p;
    } else {
        ++s->p;
    }
    *token =
        Token{std::string_view(first, static_cast<size_t>(s->p - first)), identifier, UNCLOSED};
    return true;
}

// Pairs each "(" of tokens [first, end) with its ")", so that a call finds its end at once
// however many calls are left open.
void matchParentheses(std::vector<Token>* tokens, size_t first, size_t end) {
    std::vector<size_t> open;
    for (size_t i = first; i < end; ++i) {
        if ((*tokens)[i].text == "(") open.push_back(i);
        if ((*tokens)[i].text != ")" || open.empty()) continue;
        (*tokens)[open.back()].closing = i;
        open.pop_back();
    }
}

// "#define NAME body" or "#define NAME(a, b) body", from the token after "define".
void readDefine(Scanner* s, ShaderMacros* m) {
    Token name;
    if (!nextToken(s, &name) || !name.identifier) return;
    Macro macro = {};
    // A function-like macro's parenthesis follows its name with no blank between.
    macro.function = s->p < s->end && *s->p == '(';
    Token token;
    bool more = nextToken(s, &token);
    if (macro.function) {
        while ((more = nextToken(s, &token)) && token.text != ")") {
            if (!token.identifier) continue;
            macro.parameterIndex.emplace(token.text, macro.parameters.size());
            macro.parameters.push_back(token.text);
        }
        more = more && nextToken(s, &token);
    }
    macro.bodyFirst = m->bodies.size();
    for (; more; more = nextToken(s, &token)) m->bodies.push_back(token);
    macro.bodyEnd = m->bodies.size();
    matchParentheses(&m->bodies, macro.bodyFirst, macro.bodyEnd);
    m->byName[name.text] = m->macros.size();
    m->macros.push_back(macro);
}

// The text line by line: a line whose first token is "#" is a directive, the rest is text.
void readText(const char* text, size_t length, ShaderMacros* m) {
    Scanner s = {text, text + length, false};
    while (s.p < s.end) {
        s.lineEnded = false;
        Token token;
        if (!nextToken(&s, &token)) continue;
        if (token.text != "#") {
            do m->text.push_back(token);
            while (nextToken(&s, &token));
            continue;
        }
        Token keyword;
        if (nextToken(&s, &keyword) && keyword.text == "define") readDefine(&s, m);
        while (nextToken(&s, &token)) {}
    }
    matchParentheses(&m->text, 0, m->text.size());
}

void addScaled(LengthForm* sum, const LengthForm& form, double scale) {
    if (scale == 0.0) return;
    for (size_t i = 0; i < form.size() && i < sum->size(); ++i) (*sum)[i] += form[i] * scale;
}

LengthForm measureRange(ShaderMacros* m, const std::vector<Token>& tokens, size_t first, size_t end,
                        const Macro* within);

// The length form of a macro's expansion, in its own parameters.
const LengthForm& measureMacro(ShaderMacros* m, size_t index) {
    Macro& macro = m->macros[index];
    if (macro.measured) return macro.length;
    macro.measuring = true;
    LengthForm length = measureRange(m, m->bodies, macro.bodyFirst, macro.bodyEnd, &macro);
    Macro& measured = m->macros[index];
    measured.length = length;
    measured.measuring = false;
    measured.measured = true;
    return measured.length;
}

// The end of the call whose "(" is at tokens[open], and where each argument starts; `end` when
// the parenthesis is not closed in the range. Parenthesised groups within are stepped over.
size_t splitArguments(const std::vector<Token>& tokens, size_t open, size_t end,
                      std::vector<size_t>* starts) {
    const size_t close = tokens[open].closing;
    if (close == UNCLOSED || close >= end) return end;
    starts->push_back(open + 1);
    for (size_t i = open + 1; i < close; ++i) {
        if (tokens[i].text == "(")
            i = tokens[i].closing;
        else if (tokens[i].text == ",")
            starts->push_back(i + 1);
    }
    return close;
}

// A call of the function-like macro `index` at tokens[at] (its name), whose "(" follows: its
// length goes into *sum, and the index after its ")" is returned; `at` itself when it is no call.
size_t measureCall(ShaderMacros* m, const std::vector<Token>& tokens, size_t at, size_t end,
                   const Macro* within, size_t index, LengthForm* sum) {
    std::vector<size_t> starts;
    const size_t close = splitArguments(tokens, at + 1, end, &starts);
    if (close == end) return at;
    const LengthForm form = measureMacro(m, index);  // a copy: measuring may grow the macros
    (*sum)[0] += form[0];
    for (size_t p = 0; p + 1 < form.size() && p < starts.size(); ++p) {
        const size_t argumentEnd = p + 1 < starts.size() ? starts[p + 1] - 1 : close;
        addScaled(sum, measureRange(m, tokens, starts[p], argumentEnd, within), form[p + 1]);
    }
    return close + 1;
}

// Adds the length of the token at tokens[i] (with its call, for a function-like macro) to *sum;
// returns the index after what it measured.
size_t measureToken(ShaderMacros* m, const std::vector<Token>& tokens, size_t i, size_t end,
                    const Macro* within, LengthForm* sum) {
    const Token& token = tokens[i];
    if (!token.identifier) {
        (*sum)[0] += 1.0;
        return i + 1;
    }
    if (within) {
        const auto parameter = within->parameterIndex.find(token.text);
        if (parameter != within->parameterIndex.end()) {
            (*sum)[1 + parameter->second] += 1.0;
            return i + 1;
        }
    }
    const auto found = m->byName.find(token.text);
    // A macro met again inside its own expansion stays a name, as the C preprocessor leaves it.
    if (found == m->byName.end() || m->macros[found->second].measuring) {
        (*sum)[0] += 1.0;
        return i + 1;
    }
    const size_t index = found->second;
    if (!m->macros[index].function) {
        (*sum)[0] += measureMacro(m, index)[0];
        return i + 1;
    }
    if (i + 1 < end && tokens[i + 1].text == "(") {
        const size_t next = measureCall(m, tokens, i, end, within, index, sum);
        if (next != i) return next;
    }
    (*sum)[0] += 1.0;  // a function-like macro's name without a call is a name
    return i + 1;
}

// The length form of tokens [first, end), in the parameters of the macro `within` (null for the
// text itself).
LengthForm measureRange(ShaderMacros* m, const std::vector<Token>& tokens, size_t first, size_t end,
                        const Macro* within) {
    LengthForm sum(1 + (within ? within->parameters.size() : 0), 0.0);
    if (m->depth >= MAX_NESTING || sum.size() > 1 + MAX_PARAMETERS) {
        sum[0] = TOO_MANY;
        return sum;
    }
    ++m->depth;
    for (size_t i = first; i < end;) i = measureToken(m, tokens, i, end, within, &sum);
    --m->depth;
    return sum;
}

}  // namespace

double shaderExpansionTokens(const char* text, size_t length) {
    ShaderMacros m = {};
    readText(text, length, &m);
    double largest = measureRange(&m, m.text, 0, m.text.size(), nullptr)[0];
    for (size_t i = 0; i < m.macros.size(); ++i)
        for (const double part : measureMacro(&m, i)) largest = part > largest ? part : largest;
    return largest;
}
