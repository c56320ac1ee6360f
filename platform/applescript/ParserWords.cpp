// The forms of the Parser that start with a word: one row per spelling in a
// table, longest spelling first, then the language's classes, handler calls,
// "name of ..." and plain variables. A new form is a new row.

#include "platform/applescript/Parser.h"

#include "platform/applescript/ScriptError.h"

#include <QHash>

#include <array>
#include <cmath>

namespace platform::applescript {

namespace {

const QHash<QString, Value>& constants()
{
    static const QHash<QString, Value> table = [] {
        QHash<QString, Value> h;
        h.insert(QStringLiteral("return"), Value(QStringLiteral("\r")));
        h.insert(QStringLiteral("linefeed"), Value(QStringLiteral("\n")));
        h.insert(QStringLiteral("tab"), Value(QStringLiteral("\t")));
        h.insert(QStringLiteral("space"), Value(QStringLiteral(" ")));
        h.insert(QStringLiteral("quote"), Value(QStringLiteral("\"")));
        h.insert(QStringLiteral("pi"), Value(M_PI));
        h.insert(QStringLiteral("minutes"), Value(60));
        h.insert(QStringLiteral("hours"), Value(3600));
        h.insert(QStringLiteral("days"), Value(86400));
        h.insert(QStringLiteral("weeks"), Value(604800));
        // Months and weekdays are the language's English constants whatever the locale.
        for (const char* m : {"January", "February", "March", "April", "May", "June", "July", "August",
                              "September", "October", "November", "December", "Monday", "Tuesday", "Wednesday",
                              "Thursday", "Friday", "Saturday", "Sunday"})
            h.insert(QString::fromLatin1(m).toLower(), Value(QString::fromLatin1(m)));
        return h;
    }();
    return table;
}

constexpr std::array<const char*, 10> kOrdinals = {"first", "second", "third", "fourth", "fifth",
                                                  "sixth", "seventh", "eighth", "ninth", "tenth"};


// The modes of `round x rounding MODE`. ORDER: value 1 + index, 0 is the default (to nearest).
const QStringList kRoundingModes[] = {
    {QStringLiteral("up")},
    {QStringLiteral("down")},
    {QStringLiteral("toward"), QStringLiteral("zero")},
    {QStringLiteral("to"), QStringLiteral("nearest")},
    {QStringLiteral("as"), QStringLiteral("taught"), QStringLiteral("in"), QStringLiteral("school")},
};

const std::vector<QStringList>& refusedPhrases()
{
    static const std::vector<QStringList> phrases = [] {
        std::vector<QStringList> v;
        for (const char* p : {"do shell script", "run script", "load script", "store script", "display dialog",
                              "display alert", "display notification", "choose from list", "choose file",
                              "choose folder", "open for access", "close access", "system info", "system attribute",
                              "random number", "current application"})
            v.push_back(QString::fromLatin1(p).split(u' '));
        return v;
    }();
    return phrases;
}

const QSet<QString>& refusedWords()
{
    static const QSet<QString> words = {QStringLiteral("read"),   QStringLiteral("write"),    QStringLiteral("delay"),
                                        QStringLiteral("beep"),   QStringLiteral("say"),      QStringLiteral("activate"),
                                        QStringLiteral("launch"), QStringLiteral("quit"),     QStringLiteral("open"),
                                        QStringLiteral("summarize")};
    return words;
}

QStringList refusedFirstWords()
{
    QStringList first(refusedWords().begin(), refusedWords().end());
    for (const QStringList& words : refusedPhrases())
        first << words.first();
    return first;
}

// Where a row applies, judged by the token after its spelling.
enum class Guard { None, BeforeOf, NotBeforeOf, NotBeforeOfOrParen };

}  // namespace

struct Parser::WordRule {
    const char* spelling;  // lower-case words separated by single spaces
    NodePtr (Parser::*parse)(const Token& at, const char* spelling);
    Guard guard = Guard::None;
};

const Parser::WordRule* Parser::matchWordRule(int* length) const
{
    struct Compiled {
        QStringList words;
        WordRule rule;
    };
    // Built inside a member so the rows may name private members.
    static const auto index = [] {
        std::vector<WordRule> rules = {
            {"not", &Parser::parseNotWord},
            {"true", &Parser::parseBooleanWord},
            {"false", &Parser::parseBooleanWord},
            {"missing value", &Parser::parseMissingValue},
            {"current date", &Parser::parseCurrentDate},
            {"application", &Parser::parseApplicationWord, Guard::NotBeforeOf},
            {"app", &Parser::parseApplicationWord, Guard::NotBeforeOf},
            {"date", &Parser::parseDateWord, Guard::NotBeforeOfOrParen},
            {"my", &Parser::parseMy},
            {"every", &Parser::parseEvery},
            {"last", &Parser::parseOrdinal},
            {"middle", &Parser::parseOrdinal},
            {"some", &Parser::parseOrdinal},
            {"beginning", &Parser::parseBeginningEnd, Guard::BeforeOf},
            {"end", &Parser::parseBeginningEnd, Guard::BeforeOf},
            {"count", &Parser::parseCount},
            {"number of", &Parser::parseCount},
            {"offset of", &Parser::parseOffset},
            {"text item delimiters", &Parser::parseDelimiters},
            {"get", &Parser::parseGet},
            {"it", &Parser::parseIt},
            {"its", &Parser::parseIt},
            {"clipboard", &Parser::parseClipboard},
            {"round", &Parser::parseBuiltinCommand},
            {"ascii character", &Parser::parseBuiltinCommand},
            {"ascii number", &Parser::parseBuiltinCommand},
            {"character id", &Parser::parseBuiltinCommand, Guard::NotBeforeOf},
            {"string id", &Parser::parseBuiltinCommand, Guard::NotBeforeOf},
            {"a reference to", &Parser::parseReference},
            {"reference to", &Parser::parseReference},
            {"me", &Parser::parseMe},
        };
        for (const char* ordinal : kOrdinals)
            rules.push_back({ordinal, &Parser::parseOrdinal});
        static std::vector<QByteArray> spellings;  // keeps the built-in property names alive
        for (const Term& property : builtinTerms().properties)
            spellings.push_back(property.name.toLatin1());
        for (const QByteArray& spelling : spellings)
            rules.push_back({spelling.constData(), &Parser::parseBuiltinProperty});
        QHash<QString, std::vector<Compiled>> h;
        for (const WordRule& rule : rules) {
            const QStringList words = QString::fromLatin1(rule.spelling).split(u' ');
            h[words.first()].push_back({words, rule});
        }
        return h;
    }();
    *length = 0;
    const auto it = index.constFind(cur().text);
    if (it == index.constEnd())
        return nullptr;
    const WordRule* best = nullptr;
    for (const Compiled& candidate : *it) {
        const int n = matchWords(candidate.words);
        if (n <= *length)
            continue;
        const bool beforeOf = isWord("of", n);
        const bool passes = candidate.rule.guard == Guard::None
            || (candidate.rule.guard == Guard::BeforeOf && beforeOf)
            || (candidate.rule.guard == Guard::NotBeforeOf && !beforeOf)
            || (candidate.rule.guard == Guard::NotBeforeOfOrParen && !beforeOf && !isSymbol("(", n));
        if (passes) {
            *length = n;
            best = &candidate.rule;
        }
    }
    return best;
}

// word-primary := dictionary term | word form (table) | language class | call | name "of" ... | variable
NodePtr Parser::parseWordPrimary()
{
    const Token at = cur();
    if (startsLabelledCall())
        return parseLabelledCall(at, false);
    if (at.barred) {
        if (isSymbol("(", 1))
            return parseCall(at, false);
        NodePtr n = node(NodeKind::Variable, at);
        n->name = at.text;
        ++m_pos;
        return n;
    }
    if (!m_terms.empty()) {
        const Terms& terms = m_terms.back();
        int length = 0;
        if (const Term* command = matchTerm(terms.commands, &length)) {
            m_pos += static_cast<size_t>(length);
            return parseCommand(*command, at);
        }
        int propertyLength = 0;
        int classLength = 0;
        const Term* property = matchTerm(terms.properties, &propertyLength);
        const Term* cls = matchTerm(terms.classes, &classLength);
        // `message id 7` is a message by its id, not the property "message id".
        const bool byId = cls && !cls->plural && isWord("id", classLength) && !isWord("of", classLength + 1)
            && ahead(classLength + 1).kind != TokenKind::EndOfLine && ahead(classLength + 1).kind != TokenKind::EndOfFile;
        if (cls && (classLength >= propertyLength || byId)) {
            const size_t saved = m_pos;
            m_pos += static_cast<size_t>(classLength);
            // A class name on its own is the class (`class of m is message`).
            if (!cls->plural && !byId && !startsIndex() && cur().kind != TokenKind::String && !isWord("of")
                && !isWord("in") && !isWord("whose") && !isWord("where"))
                return classLiteral(at, cls->name);
            if (byId || classLength > propertyLength || cls->plural || startsIndex() || cur().kind == TokenKind::String)
                return parseElement(*cls, at);
            m_pos = saved;
        }
        if (property) {
            m_pos += static_cast<size_t>(propertyLength);
            NodePtr n = node(NodeKind::Property, at);
            n->name = property->name;
            n->flag = true;
            return parseContainer(std::move(n), true);
        }
    }
    int length = 0;
    if (const WordRule* rule = matchWordRule(&length)) {
        m_pos += static_cast<size_t>(length);
        return (this->*rule->parse)(at, rule->spelling);
    }
    if (const Term* cls = matchTerm(builtinTerms().classes, &length)) {
        const size_t saved = m_pos;
        m_pos += static_cast<size_t>(length);
        const bool container = isWord("of") || (isWord("in") && !stopsAt("in"));
        if ((cls->plural && (container || startsIndex())) || (!cls->plural && startsIndex()))
            return parseElement(*cls, at);
        m_pos = saved;
    }
    if (isSymbol("(", 1))
        return parseCall(at, false);
    if (isWord("of", 1)) {
        ++m_pos;
        NodePtr n = node(NodeKind::Property, at);
        n->name = at.text;
        return parseContainer(std::move(n), false);
    }
    return parseConstant();
}

// constant := "return" | "linefeed" | "tab" | ... | variable
NodePtr Parser::parseConstant()
{
    const Token at = cur();
    const auto& table = constants();
    const auto it = table.find(at.text);
    if (it != table.end()) {
        ++m_pos;
        NodePtr n = node(NodeKind::Literal, at);
        n->value = *it;
        return n;
    }
    // The language's class names are values (`class of x is list`); the first
    // words of refused commands map to an empty name. One lookup per variable.
    static const QHash<QString, QString> kSpecial = [] {
        QHash<QString, QString> h;
        for (const char* name : {"text", "list", "record", "integer", "real", "number", "boolean", "class", "script",
                                 "reference", "date", "item", "character", "word", "paragraph"})
            h.insert(QString::fromLatin1(name), QString::fromLatin1(name));
        h.insert(QStringLiteral("string"), QStringLiteral("text"));
        h.insert(QStringLiteral("unicode"), QString());
        for (const QString& first : refusedFirstWords())
            h.insert(first, QString());
        return h;
    }();
    const auto special = kSpecial.constFind(at.text);
    if (special != kSpecial.constEnd()) {
        if (at.text == u"unicode" && isWord("text", 1)) {
            m_pos += 2;
            return classLiteral(at, QStringLiteral("text"));
        }
        if (!special->isEmpty()) {
            ++m_pos;
            return classLiteral(at, *special);
        }
        refuseCommand();
    }
    if (isReserved(at.text))
        failHere(QStringLiteral("expression"));
    ++m_pos;
    NodePtr n = node(NodeKind::Variable, at);
    n->name = at.text;
    return n;
}

// The language's commands and scripting additions this engine does not run are
// refused by name where they would otherwise read as an unknown variable: the
// phrases always, a single word when an operand follows it (`delay 1`), which a
// variable never has.
void Parser::refuseCommand() const
{
    QString phrase;
    for (const QStringList& words : refusedPhrases())
        if (matchWords(words))
            phrase = words.join(u' ');
    if (phrase.isEmpty() && refusedWords().contains(cur().text)) {
        const Token& next = ahead(1);
        const bool operand = next.kind == TokenKind::String || next.kind == TokenKind::Integer
            || next.kind == TokenKind::Real || (next.kind == TokenKind::Symbol && next.text == u"{")
            || (next.kind == TokenKind::Word && (next.barred || !isReserved(next.text)));
        if (operand)
            phrase = cur().text;
    }
    if (!phrase.isEmpty())
        throwCompile(errSyntax, QStringLiteral("“%1” is not supported by this script engine.").arg(phrase), cur().line,
                     cur().column);
}

// not-word := "not" unary
NodePtr Parser::parseNotWord(const Token& at, const char*)
{
    NodePtr n = node(NodeKind::Not, at);
    n->a = parseUnary();
    return n;
}

// boolean := "true" | "false"
NodePtr Parser::parseBooleanWord(const Token& at, const char* spelling)
{
    NodePtr n = node(NodeKind::Literal, at);
    n->value = Value(qstrcmp(spelling, "true") == 0);
    return n;
}

// missing := "missing value"
NodePtr Parser::parseMissingValue(const Token& at, const char*)
{
    return node(NodeKind::Literal, at);
}

// current-date := "current date"
NodePtr Parser::parseCurrentDate(const Token& at, const char*)
{
    return node(NodeKind::CurrentDate, at);
}

// application := ( "application" | "app" ) primary
NodePtr Parser::parseApplicationWord(const Token& at, const char*)
{
    NodePtr n = node(NodeKind::Application, at);
    n->a = parsePrimary();
    return n;
}

// builtin-property := ( "date string" | "short date string" | "time string" | "quoted form" ) "of" postfix
NodePtr Parser::parseBuiltinProperty(const Token& at, const char* spelling)
{
    NodePtr n = node(NodeKind::Property, at);
    n->name = QString::fromLatin1(spelling);
    return parseContainer(std::move(n), false);
}

NodePtr Parser::classLiteral(const Token& at, const QString& name)
{
    NodePtr n = node(NodeKind::Literal, at);
    n->value = Value::className(name);
    return n;
}

// date := "date" primary | "date" (the class, where no operand follows)
NodePtr Parser::parseDateWord(const Token& at, const char*)
{
    if (atLineEnd() || (cur().kind == TokenKind::Symbol && !isSymbol("{") && !isSymbol("-"))
        || (cur().kind == TokenKind::Word && !cur().barred && isReserved(cur().text)))
        return classLiteral(at, QStringLiteral("date"));
    NodePtr n = node(NodeKind::DateFromText, at);
    n->a = parsePrimary();
    return n;
}

// reference := ( "a reference to" | "reference to" ) postfix: the place, not its value
NodePtr Parser::parseReference(const Token& at, const char*)
{
    NodePtr n = node(NodeKind::MakeReference, at);
    n->a = parsePostfix(parsePrimary());
    return n;
}

// me := "me": the script object whose handler runs
NodePtr Parser::parseMe(const Token& at, const char*)
{
    return node(NodeKind::Me, at);
}

// my := "my" ( name | call | labelled-call )
NodePtr Parser::parseMy(const Token& at, const char*)
{
    if (startsLabelledCall())
        return parseLabelledCall(at, true);
    if (cur().kind == TokenKind::Word && isSymbol("(", 1))
        return parseCall(at, true);
    NodePtr n = node(NodeKind::MyVariable, at);
    n->name = identifier("variable name");
    return n;
}

// every := "every" class [ container ] [ whose ]
NodePtr Parser::parseEvery(const Token& at, const char*)
{
    int length = 0;
    const Term* cls = matchClass(&length);
    if (!cls)
        failHere(QStringLiteral("class name"));
    m_pos += static_cast<size_t>(length);
    NodePtr n = node(NodeKind::Element, at);
    n->name = cls->name;
    n->selector = Selector::All;
    return parseWhose(parseContainer(std::move(n), !m_terms.empty()));
}

// ordinal := ( "first" | ... | "tenth" | "last" | "middle" | "some" ) class [ container ] [ whose ]
NodePtr Parser::parseOrdinal(const Token& at, const char* spelling)
{
    const QLatin1String w(spelling);
    int length = 0;
    const Term* cls = matchClass(&length);
    if (!cls || cls->plural)
        failHere(QStringLiteral("class name"));
    m_pos += static_cast<size_t>(length);
    NodePtr n = node(NodeKind::Element, at);
    n->name = cls->name;
    if (w == QLatin1String("last")) {
        n->selector = Selector::Last;
    } else if (w == QLatin1String("middle")) {
        n->selector = Selector::Middle;
    } else if (w == QLatin1String("some")) {
        n->selector = Selector::Some;
    } else {
        n->selector = Selector::Index;
        n->b = node(NodeKind::Literal, at);
        for (size_t i = 0; i < kOrdinals.size(); ++i)
            if (w == QLatin1String(kOrdinals[i]))
                n->b->value = Value(static_cast<qint64>(i + 1));
    }
    return parseWhose(parseContainer(std::move(n), !m_terms.empty()));
}

// beginning-end := ( "beginning" | "end" ) "of" postfix
NodePtr Parser::parseBeginningEnd(const Token& at, const char* spelling)
{
    NodePtr n = node(NodeKind::Element, at);
    n->name = QStringLiteral("item");
    n->selector = qstrcmp(spelling, "end") == 0 ? Selector::End : Selector::Beginning;
    return parseContainer(std::move(n), false);
}

// count := ( "count" [ "of" ] | "number of" ) unary
NodePtr Parser::parseCount(const Token& at, const char*)
{
    acceptWord("of");
    NodePtr n = node(NodeKind::Count, at);
    n->a = parsePostfix(parsePrimary());
    return n;
}

// offset := "offset of" unary "in" unary
NodePtr Parser::parseOffset(const Token& at, const char*)
{
    static const std::vector<QString> kIn = {QStringLiteral("in")};
    NodePtr n = node(NodeKind::Offset, at);
    m_stops.push_back(&kIn);
    n->a = parsePostfix(parsePrimary());
    m_stops.pop_back();
    expectWord("in");
    n->b = parsePostfix(parsePrimary());
    return n;
}

// delimiters := "text item delimiters" [ "of" "AppleScript" ]
NodePtr Parser::parseDelimiters(const Token& at, const char*)
{
    if (isWord("of") && isWord("applescript", 1))
        m_pos += 2;
    return node(NodeKind::Delimiters, at);
}

// get := "get" unary: the value itself, also inside an expression
NodePtr Parser::parseGet(const Token&, const char*)
{
    return parseUnary();
}

// it := "it" | "its" property-name
NodePtr Parser::parseIt(const Token& at, const char* spelling)
{
    NodePtr it = node(NodeKind::It, at);
    if (qstrcmp(spelling, "its") != 0)
        return it;
    int length = 0;
    const Term* term = m_terms.empty() ? nullptr : matchTerm(m_terms.back().properties, &length);
    if (!term)
        term = matchTerm(builtinTerms().properties, &length);
    NodePtr p = node(NodeKind::Property, at);
    if (term) {
        p->name = term->name;
        p->flag = true;
        m_pos += static_cast<size_t>(length);
    } else {
        p->name = identifier("property name");
    }
    p->a = std::move(it);
    return p;
}

// clipboard := "clipboard" (the article before it is noise, as everywhere)
NodePtr Parser::parseClipboard(const Token& at, const char*)
{
    return node(NodeKind::Clipboard, at);
}

// builtin-command := ( "round" | "ascii character" | "ascii number" | "character id" ) unary
//                    [ "rounding" mode ]; the direct parameter is one operand
NodePtr Parser::parseBuiltinCommand(const Token& at, const char* spelling)
{
    NodePtr n = node(NodeKind::Builtin, at);
    n->name = QString::fromLatin1(spelling);
    n->a = parseUnary();
    n->value = Value(0);
    if (n->name == u"round" && acceptWord("rounding")) {
        for (size_t i = 0; i < std::size(kRoundingModes); ++i) {
            if (const int length = matchWords(kRoundingModes[i])) {
                m_pos += static_cast<size_t>(length);
                n->value = Value(static_cast<qint64>(i + 1));
                return n;
            }
        }
        failHere(QStringLiteral("up, down, toward zero, to nearest or as taught in school"));
    }
    return n;
}

// call := [ "my" ] name "(" [ expression { "," expression } ] ")"
NodePtr Parser::parseCall(const Token& at, bool my)
{
    NodePtr n = node(NodeKind::Call, at);
    n->name = cur().text;
    n->flag = my;
    ++m_pos;
    expectSymbol("(");
    m_stops.push_back(nullptr);
    if (!isSymbol(")")) {
        do {
            n->kids.push_back(parseExpression());
        } while (acceptSymbol(","));
    }
    m_stops.pop_back();
    expectSymbol(")");
    return n;
}


}  // namespace platform::applescript
