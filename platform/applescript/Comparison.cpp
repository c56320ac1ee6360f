// Comparison and containment: equality, ordering, contains, begins and ends
// with, offset, under the considering and ignoring attributes of TextRules.

#include "platform/applescript/Operations.h"

#include "platform/applescript/Dictionary.h"
#include "platform/applescript/OperationsInternal.h"
#include "platform/applescript/ScriptError.h"

#include <QStringView>

#include <vector>

namespace platform::applescript {

using namespace detail;

namespace {

bool listContains(const List& whole, const List& part, const TextRules& rules)
{
    if (part.empty())
        return true;
    if (part.size() > whole.size())
        return false;
    for (size_t i = 0; i + part.size() <= whole.size(); ++i) {
        bool all = true;
        for (size_t j = 0; j < part.size() && all; ++j)
            all = equals(whole.at(i + j), part.at(j), rules);
        if (all)
            return true;
    }
    return false;
}


}  // namespace

namespace detail {

Qt::CaseSensitivity sensitivity(const TextRules& rules)
{
    return rules.considers(TextAttribute::Case) ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

}  // namespace detail

namespace {

constexpr unsigned kLeftOut = attributeBit(TextAttribute::WhiteSpace) | attributeBit(TextAttribute::Diacriticals)
    | attributeBit(TextAttribute::Hyphens) | attributeBit(TextAttribute::Punctuation)
    | attributeBit(TextAttribute::Expansion);

bool isHyphen(QChar c)
{
    return c == u'-' || c == u'\u2010' || c == u'\u2011' || c == u'\u2012' || c == u'\u2013' || c == u'\u2014';
}

// The text as the rules compare it: ignored white space, hyphens, punctuation and
// diacriticals left out, ignored expansion (ligatures) spelt out. *origin, when
// given, receives the index in the original text of every unit of the result.
QString comparable(const QString& text, const TextRules& rules, std::vector<int>* origin = nullptr)
{
    if ((rules.considered & kLeftOut) == kLeftOut) {
        if (origin) {
            origin->resize(static_cast<size_t>(text.size()));
            for (int i = 0; i < text.size(); ++i)
                (*origin)[static_cast<size_t>(i)] = i;
        }
        return text;
    }
    const bool decompose = !rules.considers(TextAttribute::Diacriticals) || !rules.considers(TextAttribute::Expansion);
    const QString::NormalizationForm form
        = rules.considers(TextAttribute::Expansion) ? QString::NormalizationForm_D : QString::NormalizationForm_KD;
    QString out;
    out.reserve(text.size());
    if (origin)
        origin->clear();
    for (int i = 0; i < text.size(); ++i) {
        const int width = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString unit = text.mid(i, width);
        const QString parts = decompose ? unit.normalized(form) : unit;
        for (const QChar c : parts) {
            if (!rules.considers(TextAttribute::WhiteSpace) && c.isSpace())
                continue;
            if (!rules.considers(TextAttribute::Hyphens) && isHyphen(c))
                continue;
            if (!rules.considers(TextAttribute::Punctuation) && c.isPunct() && !isHyphen(c))
                continue;
            if (!rules.considers(TextAttribute::Diacriticals) && c.isMark())
                continue;
            out += c;
            if (origin)
                origin->push_back(i);
        }
        i += width - 1;
    }
    return out;
}

// Orders two texts with runs of digits compared by their value.
int compareNumeric(const QString& a, const QString& b, Qt::CaseSensitivity cs)
{
    int i = 0;
    int j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            while (i < a.size() && a[i] == u'0' && i + 1 < a.size() && a[i + 1].isDigit())
                ++i;
            while (j < b.size() && b[j] == u'0' && j + 1 < b.size() && b[j + 1].isDigit())
                ++j;
            int ei = i;
            int ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            if (ei - i != ej - j)
                return ei - i < ej - j ? -1 : 1;
            if (const int c = QStringView(a).mid(i, ei - i).compare(QStringView(b).mid(j, ej - j)); c != 0)
                return c < 0 ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        if (const int c = QStringView(a).mid(i, 1).compare(QStringView(b).mid(j, 1), cs); c != 0)
            return c < 0 ? -1 : 1;
        ++i;
        ++j;
    }
    return i < a.size() ? 1 : j < b.size() ? -1 : 0;
}

int compareText(const QString& a, const QString& b, const TextRules& rules)
{
    const QString x = comparable(a, rules);
    const QString y = comparable(b, rules);
    if (rules.considers(TextAttribute::NumericStrings))
        return compareNumeric(x, y, sensitivity(rules));
    const int c = x.compare(y, sensitivity(rules));
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace

bool equals(const Value& a, const Value& b, const TextRules& rules)
{
    if (a.isNumber() && b.isNumber()) {
        if (a.kind() == Value::Kind::Integer && b.kind() == Value::Kind::Integer)
            return a.integer() == b.integer();
        return a.number() == b.number();
    }
    if (a.kind() != b.kind())
        return false;
    switch (a.kind()) {
    case Value::Kind::Missing: return true;
    case Value::Kind::Boolean: return a.boolean() == b.boolean();
    case Value::Kind::Text: return compareText(a.text(), b.text(), rules) == 0;
    case Value::Kind::Date: return a.date() == b.date();
    case Value::Kind::List: {
        if (a.items().size() != b.items().size())
            return false;
        for (size_t i = 0; i < a.items().size(); ++i)
            if (!equals(a.items().at(i), b.items().at(i), rules))
                return false;
        return true;
    }
    case Value::Kind::Record: {
        const Record& ra = *a.recordPointer();
        const Record& rb = *b.recordPointer();
        if (ra.fields.size() != rb.fields.size())
            return false;
        for (const auto& [key, value] : ra.fields) {
            const Value* other = rb.find(key);
            if (!other || !equals(value, *other, rules))
                return false;
        }
        return true;
    }
    case Value::Kind::Object: return a.object()->sameAs(*b.object());
    case Value::Kind::Class: return a.classNameText() == b.classNameText();
    case Value::Kind::Script: return a.scriptObject() == b.scriptObject();
    case Value::Kind::Reference: return a.referenceTarget() == b.referenceTarget();
    default: return false;
    }
}

int compare(const Value& a, const Value& b, const TextRules& rules)
{
    switch (a.kind()) {
    case Value::Kind::Integer:
    case Value::Kind::Real: {
        if (a.kind() == Value::Kind::Integer && b.kind() == Value::Kind::Integer)
            return a.integer() < b.integer() ? -1 : a.integer() > b.integer() ? 1 : 0;
        const double x = a.number();
        const double y = toNumber(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    case Value::Kind::Text: {
        return compareText(a.text(), toText(b, rules), rules);
    }
    case Value::Kind::Date:
        if (b.kind() == Value::Kind::Date)
            return a.date() < b.date() ? -1 : a.date() > b.date() ? 1 : 0;
        cantMake(b, TypeName::Date);
    default:
        throwRuntime(errCantMake,
                     QStringLiteral("Can’t compare %1 with %2.").arg(displayForm(a), displayForm(b)));
    }
}


bool contains(const Value& container, const Value& part, const TextRules& rules)
{
    switch (container.kind()) {
    case Value::Kind::Text:
        return comparable(container.text(), rules).contains(comparable(toText(part, rules), rules), sensitivity(rules));
    case Value::Kind::List:
        return part.kind() == Value::Kind::List ? listContains(container.items(), part.items(), rules)
                                                : listContains(container.items(), List{part}, rules);
    case Value::Kind::Record: {
        if (part.kind() != Value::Kind::Record)
            cantMake(part, TypeName::Record);
        for (const auto& [key, value] : part.recordPointer()->fields) {
            const Value* mine = container.recordPointer()->find(key);
            if (!mine || !equals(*mine, value, rules))
                return false;
        }
        return true;
    }
    default:
        return contains(Value(toText(container, rules)), part, rules);
    }
}

bool beginsWith(const Value& whole, const Value& part, const TextRules& rules)
{
    if (whole.kind() == Value::Kind::List) {
        const List p = asList(part);
        if (p.size() > whole.items().size())
            return false;
        for (size_t i = 0; i < p.size(); ++i)
            if (!equals(whole.items().at(i), p.at(i), rules))
                return false;
        return true;
    }
    return comparable(toText(whole, rules), rules).startsWith(comparable(toText(part, rules), rules), sensitivity(rules));
}

bool endsWith(const Value& whole, const Value& part, const TextRules& rules)
{
    if (whole.kind() == Value::Kind::List) {
        const List p = asList(part);
        const List& w = whole.items();
        if (p.size() > w.size())
            return false;
        for (size_t i = 0; i < p.size(); ++i)
            if (!equals(w.at(w.size() - p.size() + i), p.at(i), rules))
                return false;
        return true;
    }
    return comparable(toText(whole, rules), rules).endsWith(comparable(toText(part, rules), rules), sensitivity(rules));
}

qint64 offsetOf(const QString& needle, const QString& haystack, const TextRules& rules)
{
    if (needle.isEmpty())
        return 0;
    std::vector<int> origin;
    const QString text = comparable(haystack, rules, &origin);
    const QString part = comparable(needle, rules);
    if (part.isEmpty())
        return 0;
    const int at = text.indexOf(part, 0, sensitivity(rules));
    return at < 0 ? 0 : origin[static_cast<size_t>(at)] + 1;
}

}  // namespace platform::applescript
