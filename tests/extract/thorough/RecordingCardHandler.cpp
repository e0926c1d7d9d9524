#include "RecordingCardHandler.h"

#include <algorithm>

namespace orvandel::test {

void RecordingCardHandler::cardStarted(std::size_t number)
{
    started.push_back(number);
}

PhotoOutput* RecordingCardHandler::photoStarted(const PhotoStart& photo)
{
    photos.push_back({photo, {}, false, {}, 0, 0, {}});
    return &m_output;
}

void RecordingCardHandler::photoEnded(const PhotoEnd& end, const CardFields& card)
{
    photos.back().end = end;
    photos.back().ended = true;
    photos.back().cardAtEnd = card;
}

void RecordingCardHandler::cardEnded(const CardFields& card)
{
    cards.push_back(card);
}

void RecordingCardHandler::Output::write(std::string_view bytes) noexcept
{
    auto& photo = m_owner.photos.back();
    photo.bytes.append(bytes);
    ++photo.writes;
    photo.largestWrite = std::max(photo.largestWrite, bytes.size());
}

RecordingCardHandler ReadCards(std::string_view bytes, ReadOptions options)
{
    RecordingCardHandler handler;
    MemoryByteSource source(bytes, options.pieceSize);
    TextSource text(source);
    CardReader reader(text, handler, CardReaderOptions {options.logos});
    while (reader.pump()) { }
    return handler;
}

} // namespace orvandel::test
