#include "RunResults.h"

#include "OutcomeIcons.h"
#include "fetch/HttpFetcher.h"
#include "util/AsciiText.h"
#include "util/PathHelpers.h"
#include "window/list/PathText.h"

#include <QFileInfo>
#include <algorithm>

namespace orvandel {

namespace {

    constexpr qsizetype kListedInToolTip = 10;

    QString Counted(std::size_t count, const char* one, const char* many)
    {
        return QString::fromStdString(CountedText(count, one, many));
    }

    // Up to `most` lines, then how many more there are.
    QString FromStd(const std::string& text)
    {
        return PathFromBytes(text);
    }

    // A thorough run's report names the input, the card and the line after what went wrong; the
    // list shows those in columns of their own.
    QString WithoutContext(const PhotoResult& result)
    {
        QString error = FromStd(result.error);
        const qsizetype context = error.lastIndexOf(QStringLiteral(". Input: ") + FromStd(result.input)
                                                    + QStringLiteral(", card "));
        if (context >= 0)
            error.truncate(context);
        if (result.line > 0)
            error += QStringLiteral(" (line %1)").arg(result.line);
        return error;
    }

    // A file: address, or a path ("/home/ada/a.png", "C:\\a.png", "photos/a.png"): no scheme of
    // two letters or more before a ":".
    bool IsFileLink(std::string_view address)
    {
        const auto colon = address.find(':');
        if (colon == std::string_view::npos || colon < 2 || !IsAsciiLetter(address[0]))
            return true;
        const std::string_view scheme = address.substr(0, colon);
        const bool isScheme = std::all_of(scheme.begin(), scheme.end(), [](char c) {
            return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '+' || c == '.' || c == '-';
        });
        return !isScheme || EqualsIgnoringAsciiCase(scheme, "file");
    }

} // namespace

QStringList Listed(const QStringList& lines, qsizetype most)
{
    QStringList shown = lines.mid(0, most);
    if (lines.size() > most)
        shown << QStringLiteral("and %1 more").arg(lines.size() - most);
    return shown;
}

QString LinkProblem(const std::string& address)
{
    return (IsFileLink(address) ? QStringLiteral("Only a link to a file, not read: ")
                                : QStringLiteral("Only a web address, not fetched: "))
        + PathFromBytes(address);
}

QString StopText(const RunStop& stop)
{
    const QString files = Counted(stop.fileCount, "file", "files");
    if (stop.input.empty())
        return QStringLiteral("Stopped after %1 of %2.").arg(stop.filesDone).arg(files);
    // All in one arg(), so that a "%1" in the name stays as it is.
    return QStringLiteral("Stopped after card %1 of %2 (file %3 of %4).")
        .arg(QString::number(stop.cards), QString::fromStdString(GetFileName(stop.input)),
             QString::number(stop.filesDone + 1), QString::number(stop.fileCount));
}

void RunResults::addFailure(const QString& input, std::size_t card, const QString& fn, const QString& problem)
{
    m_problems.append({input, card, fn, problem});
    ++m_counts.failed;
}

void RunResults::stepFailed(const StepFailure& failure)
{
    m_loose.push_back({failure.step, failure.line, failure.description});
}

void RunResults::windowFailed(const std::string& description)
{
    m_loose.push_back({std::nullopt, 0, description});
}

RunResults::InputLists& RunResults::listsOf(std::size_t position)
{
    return m_fetchPass ? m_kept[position] : m_current;
}

std::vector<std::size_t> RunResults::positionsWithWebAddresses() const
{
    std::vector<std::size_t> positions;
    for (const auto& [position, lists] : m_kept) {
        if (lists.webAddresses > 0)
            positions.push_back(position);
    }
    return positions;
}

void RunResults::photoFinished(const PhotoResult& result)
{
    const QString input = FromStd(result.input);
    const QString fn = FromStd(result.fn);
    InputLists& lists = listsOf(result.position);
    if (m_fetchPass) {
        // Listed as a web address by the run before: it is one no longer.
        const auto listed
            = std::find_if(m_problems.begin(), m_problems.end(), [&](const RunProblem& problem) {
                  return problem.position == result.position && problem.line == result.line
                      && problem.card == result.card;
              });
        if (listed != m_problems.end()) {
            m_problems.erase(listed);
            --m_counts.links;
            lists.links.removeOne(FromStd(result.url));
            --lists.webAddresses;
            --m_webAddresses;
        }
    }
    switch (result.status) {
    case PhotoStatus::Written:
        ++m_counts.written;
        lists.images << FromStd(result.output);
        m_lastImageFolder = QFileInfo(FromStd(result.output)).absolutePath();
        break;
    case PhotoStatus::Duplicate:
        lists.images << FromStd(result.output);
        break;
    case PhotoStatus::Link:
        ++m_counts.links;
        lists.links << FromStd(result.url);
        if (IsFetchableAddress(result.url)) {
            ++lists.webAddresses;
            ++m_webAddresses;
        }
        m_problems.append({input, result.card, fn, LinkProblem(result.url), result.position, result.line});
        break;
    case PhotoStatus::Failed: {
        // Its report came just before it, with its step and its line.
        for (auto it = m_loose.rbegin(); it != m_loose.rend(); ++it) {
            if (it->step == result.errorStep && it->line == result.line) {
                m_loose.erase(std::next(it).base());
                break;
            }
        }
        const QString error = WithoutContext(result);
        lists.errors << error;
        addFailure(input, result.card, fn, error);
        break;
    }
    }
}

void RunResults::itemFinished(const ItemResult& result)
{
    if (!m_fetchPass)
        m_items.push_back(result);
    const QString input = FromStd(result.input);
    ItemOutcome outcome;
    if (!m_thorough) {
        switch (result.status) {
        case ItemStatus::Written:
            ++m_counts.written;
            m_lastImageFolder = QFileInfo(FromStd(result.output)).absolutePath();
            outcome = {ItemOutcome::Kind::Written, {}, FromStd(result.output)};
            break;
        case ItemStatus::NoPhoto:
            ++m_counts.withoutPhoto;
            outcome = {ItemOutcome::Kind::NoPhoto, {}, QStringLiteral("No photo")};
            break;
        case ItemStatus::Failed:
            ++m_counts.failed;
            outcome = {ItemOutcome::Kind::Failed, {}, FromStd(result.error)};
            break;
        }
    } else {
        InputLists& lists = listsOf(result.position);
        // Failures of the input as a whole (it could not be opened or read to its end).
        for (const Loose& failure : m_loose) {
            const QString error = FromStd(failure.description);
            lists.errors << error;
            addFailure(input, 0, {}, error);
        }
        m_loose.clear();
        QStringList lines;
        if (!lists.errors.isEmpty()) {
            outcome.kind = ItemOutcome::Kind::Failed;
            lines = lists.errors;
            if (!lists.images.isEmpty())
                lines << Counted(static_cast<std::size_t>(lists.images.size()),
                                 "image written:", "images written:")
                      << lists.images;
        } else if (!lists.images.isEmpty()) {
            outcome.kind = ItemOutcome::Kind::Written;
            lines = lists.images;
        } else {
            outcome.kind = ItemOutcome::Kind::NoPhoto;
            lines << QStringLiteral("No photo");
            if (!lists.links.isEmpty())
                lines << QStringLiteral("Only addresses, not fetched:")
                      << Listed(lists.links, kListedInToolTip);
            else if (!m_fetchPass)
                ++m_counts.withoutPhoto;
        }
        outcome.toolTip = lines.join(QLatin1Char('\n'));
        if (m_fetchPass)
            m_kept.erase(result.position);
        else if (lists.webAddresses > 0)
            m_kept[result.position] = std::move(lists);
        m_current = {};
    }
    outcome.icon = OutcomeIcon(outcome.kind);
    m_lastOutcome = outcome;
}

void RunResults::runEnded()
{
    for (const Loose& failure : m_loose)
        addFailure({}, 0, {}, FromStd(failure.description));
    m_loose.clear();
}

} // namespace orvandel
