#include "dict/wordmeanings.h"

#include <QFile>

#include <algorithm>

const QString WordMeanings::kDefaultResource = QStringLiteral(":/dict/meanings");

namespace {

// Splits text at every sep.
QList<QByteArrayView> split(QByteArrayView text, char sep)
{
    QList<QByteArrayView> fields;
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(sep); at >= 0; at = text.indexOf(sep, from)) {
        fields.append(text.sliced(from, at - from));
        from = at + 1;
    }
    fields.append(text.sliced(from));
    return fields;
}

bool partOf(char letter, WordSense::Part &part)
{
    switch (letter) {
    case 'n':
        part = WordSense::Part::Noun;
        return true;
    case 'v':
        part = WordSense::Part::Verb;
        return true;
    case 'a':
        part = WordSense::Part::Adjective;
        return true;
    case 'r':
        part = WordSense::Part::Adverb;
        return true;
    default:
        return false;
    }
}

QByteArray capitals(QByteArrayView word)
{
    QByteArray upper = word.toByteArray().trimmed();
    for (char &c : upper)
        if (c >= 'a' && c <= 'z')
            c = char(c - ('a' - 'A'));
    return upper;
}

} // namespace

WordMeanings::WordMeanings(const QString &resourceName)
    : resourceName_(resourceName)
{
}

void WordMeanings::load() const
{
    if (loaded_)
        return;
    loaded_ = true;
    QFile file(resourceName_);
    if (!file.open(QIODevice::ReadOnly))
        return;
    text_ = qUncompress(file.readAll());
    const QByteArrayView text(text_);
    qsizetype at = text.indexOf('\n');
    if (at < 0)
        return;
    const QList<QByteArrayView> counts = split(text.first(at), ' ');
    bool okDefinitions = false;
    bool okEntries = false;
    const qsizetype definitions = counts.value(0).toLongLong(&okDefinitions);
    const qsizetype entries = counts.value(1).toLongLong(&okEntries);
    if (counts.size() != 2 || !okDefinitions || !okEntries)
        return;
    // The counts are the file's own: a short or damaged text keeps what it has.
    qsizetype from = at + 1;
    const auto nextLine = [&](QByteArrayView &line) {
        const qsizetype end = text.indexOf('\n', from);
        if (end < 0)
            return false;
        line = text.sliced(from, end - from);
        from = end + 1;
        return true;
    };
    QByteArrayView line;
    definitions_.reserve(std::size_t(std::max<qsizetype>(0, std::min(definitions, text.size()))));
    for (qsizetype i = 0; i < definitions && nextLine(line); ++i)
        definitions_.push_back(line);
    entries_.reserve(std::size_t(std::max<qsizetype>(0, std::min(entries, text.size()))));
    for (qsizetype i = 0; i < entries && nextLine(line); ++i) {
        const QList<QByteArrayView> fields = split(line, '\t');
        if (fields.size() == 3)
            entries_.push_back({fields[0], fields[1], fields[2]});
    }
    const auto before = [](const Entry &a, const Entry &b) { return a.word < b.word; };
    if (!std::is_sorted(entries_.begin(), entries_.end(), before))
        std::sort(entries_.begin(), entries_.end(), before);
}

qsizetype WordMeanings::size() const
{
    load();
    return qsizetype(entries_.size());
}

WordMeaning WordMeanings::lookup(QByteArrayView word) const
{
    load();
    WordMeaning meaning;
    meaning.word = capitals(word);
    const QByteArrayView key(meaning.word);
    const auto found =
        std::lower_bound(entries_.begin(), entries_.end(), key,
                         [](const Entry &e, QByteArrayView k) { return e.word < k; });
    if (found == entries_.end() || found->word != key)
        return meaning;
    meaning.base = found->base.toByteArray();
    for (QByteArrayView ref : split(found->refs, ' ')) {
        WordSense sense;
        bool ok = false;
        const qsizetype number = ref.isEmpty() ? -1 : ref.sliced(1).toLongLong(&ok);
        if (!ok || !partOf(ref.front(), sense.part) || number < 0 ||
            number >= qsizetype(definitions_.size()))
            continue;
        sense.definition = definitions_[std::size_t(number)].toByteArray();
        meaning.senses.append(sense);
    }
    return meaning;
}

QString WordMeanings::partName(WordSense::Part part)
{
    switch (part) {
    case WordSense::Part::Noun:
        return QStringLiteral("noun");
    case WordSense::Part::Verb:
        return QStringLiteral("verb");
    case WordSense::Part::Adjective:
        return QStringLiteral("adjective");
    case WordSense::Part::Adverb:
        return QStringLiteral("adverb");
    }
    return {};
}
