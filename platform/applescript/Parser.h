#pragma once
// The parser (private header): tokens to a Program, one recursive-descent function
// per grammar rule, binary operators by a precedence table (ParserExpressions.cpp).
//
// Terminology. Inside `tell application "Name"` the parser recognises the
// multi-word class, property and command names of that application when it is
// registered at compile time (Dictionary.h), longest match first; outside tell
// blocks only the language's own terms count. A command's labels (`in`, `as`)
// stop the parameter expression before them, so `as` there is a label and not
// the coercion operator.
//
// Bounds. Blocks and expressions nest at most `maxNesting` levels; deeper source
// is a compile error, never a stack overflow. Every error is a ScriptError with
// the line and column of the offending token.

#include "platform/applescript/Ast.h"
#include "platform/applescript/Lexer.h"

#include <QSet>
#include <QStringList>

#include <vector>

namespace platform::applescript {

class Parser {
public:
    Parser(std::vector<Token> tokens, int maxNesting);
    [[nodiscard]] Program parseProgram();

private:
    struct Term {
        QStringList words;
        QString name;                        // canonical: lower-case, single spaces
        const std::vector<QString>* labels;  // commands only
        bool takesDirect = false;
        bool plural = false;
    };
    struct Terms {
        std::vector<Term> properties, classes, commands;
    };
    struct WordRule;  // ParserWords.cpp
    // Counts one level of nesting for as long as it lives.
    class Nesting {
    public:
        explicit Nesting(Parser& p);
        ~Nesting() { --m_p.m_nesting; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& m_p;
    };

    // tokens
    const Token& cur() const { return m_tokens[m_pos]; }
    const Token& ahead(int k) const;
    bool isWord(const char* w, int k = 0) const;
    bool isSymbol(const char* s, int k = 0) const;
    bool acceptWord(const char* w);
    bool acceptSymbol(const char* s);
    void expectWord(const char* w, const QString& closing = {});
    void expectSymbol(const char* s);
    bool atLineEnd() const;
    void expectLineEnd();
    void skipLineEnds();
    int matchWords(const QStringList& words) const;
    [[noreturn]] void fail(const QString& expected, const Token& found) const;
    [[noreturn]] void failHere(const QString& expected) const { fail(expected, cur()); }
    NodePtr node(NodeKind kind, const Token& at) const;
    NodePtr node(NodeKind kind, const Node& at) const;
    QString identifier(const char* what);

    // statements (Parser.cpp)
    void parseScriptBody(ScriptDef& script, bool nested);
    NodePtr parseScriptObject();
    NodePtr parseScriptStatement();
    void parseProperty(ScriptDef& script);
    void refuseUnsupported() const;
    Block parseBlock();
    NodePtr parseStatement();
    NodePtr parseSet();
    NodePtr parseCopy();
    NodePtr parseTell();
    NodePtr parseIf();
    NodePtr parseRepeat();
    NodePtr parseReturn();
    NodePtr parseTry();
    NodePtr parseError();
    NodePtr parseConsidering();
    NodePtr parseDeclaration();
    NodePtr parseExit();
    NodePtr parseGetOrLog();
    void parseEnd(const char* keyword, const Token& opener);
    void checkAssignable(const Node& target) const;

    // handlers and their calls (ParserHandlers.cpp)
    void findLabelledHandlers();
    void parseHandler(ScriptDef& script);
    NodePtr parseLabelledCall(const Token& at, bool my);
    int matchPreposition(int k, QString* label) const;
    bool startsLabels(int k) const;
    bool startsLabelledCall() const;

    // expressions (ParserExpressions.cpp)
    NodePtr parseExpression(int minPrecedence = 1);
    NodePtr parseUnary();
    NodePtr parsePostfix(NodePtr left);
    NodePtr parsePrimary();
    NodePtr parseListOrRecord();
    TypeName parseTypeName();

    // word forms (ParserWords.cpp); each rule's function runs after its spelling
    NodePtr parseWordPrimary();
    const WordRule* matchWordRule(int* length) const;
    NodePtr parseConstant();
    void refuseCommand() const;
    NodePtr parseNotWord(const Token& at, const char* spelling);
    NodePtr parseBooleanWord(const Token& at, const char* spelling);
    NodePtr parseMissingValue(const Token& at, const char* spelling);
    NodePtr parseCurrentDate(const Token& at, const char* spelling);
    NodePtr parseApplicationWord(const Token& at, const char* spelling);
    NodePtr parseBuiltinProperty(const Token& at, const char* spelling);
    NodePtr parseDateWord(const Token& at, const char* spelling);
    NodePtr parseMy(const Token& at, const char* spelling);
    NodePtr parseEvery(const Token& at, const char* spelling);
    NodePtr parseOrdinal(const Token& at, const char* spelling);
    NodePtr parseBeginningEnd(const Token& at, const char* spelling);
    NodePtr parseCount(const Token& at, const char* spelling);
    NodePtr parseOffset(const Token& at, const char* spelling);
    NodePtr parseDelimiters(const Token& at, const char* spelling);
    NodePtr parseGet(const Token& at, const char* spelling);
    NodePtr parseIt(const Token& at, const char* spelling);
    NodePtr parseClipboard(const Token& at, const char* spelling);
    NodePtr parseBuiltinCommand(const Token& at, const char* spelling);
    NodePtr parseCall(const Token& at, bool my);
    NodePtr parseReference(const Token& at, const char* spelling);
    NodePtr parseMe(const Token& at, const char* spelling);
    NodePtr classLiteral(const Token& at, const QString& name);

    // elements and dictionary terms (ParserElements.cpp)
    NodePtr parseElement(const Term& term, const Token& at);
    NodePtr parseCommand(const Term& term, const Token& at);
    NodePtr parseContainer(NodePtr target, bool implicitAllowed);
    NodePtr parseWhose(NodePtr element);
    NodePtr parseIndex();
    const Term* matchTerm(const std::vector<Term>& terms, int* length) const;  // longest match
    const Term* matchClass(int* length) const;
    bool isDictionaryTerm(const Term& term) const;
    bool startsIndex() const;
    bool stopsAt(const char* label) const;  // the current command or form takes this word as a label
    static bool isReserved(const QString& word);

    static Terms compileTerms(const Terminology& terminology);
    static const Terms& builtinTerms();

    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    int m_maxNesting;
    int m_nesting = 0;
    int m_loops = 0;
    std::vector<Terms> m_terms;                         // one per tell block with a dictionary
    std::vector<const std::vector<QString>*> m_stops;  // labels that end the current expression
    Program* m_program = nullptr;
    QSet<QString> m_labelledHandlers;  // handlers of the source defined with labels
    bool m_inContainer = false;  // parsing an element's container: a `whose` there belongs to the element
};

}  // namespace platform::applescript
