#pragma once

#include "extract/thorough/CardReader.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvandel::test {

// Keeps everything a card reader tells: cards, photos and their bytes.
class RecordingCardHandler : public CardHandler
{
public:
    struct Photo
    {
        PhotoStart start;
        PhotoEnd end;
        bool ended = false;
        std::string bytes;
        std::size_t writes = 0; // how many pieces the bytes came in
        std::size_t largestWrite = 0;
        CardFields cardAtEnd;
    };

    void cardStarted(std::size_t number) override;
    PhotoOutput* photoStarted(const PhotoStart& photo) override;
    void photoEnded(const PhotoEnd& end, const CardFields& card) override;
    void cardEnded(const CardFields& card) override;

    std::vector<std::size_t> started;
    std::vector<CardFields> cards;
    std::vector<Photo> photos;

private:
    class Output : public PhotoOutput
    {
    public:
        explicit Output(RecordingCardHandler& owner)
            : m_owner(owner)
        {
        }
        void write(std::string_view bytes) noexcept override;

    private:
        RecordingCardHandler& m_owner;
    };
    Output m_output {*this};
};

struct ReadOptions
{
    std::size_t pieceSize = SIZE_MAX; // how the input arrives
    bool logos = false;
};

// Reads `bytes` to the end with a card reader.
RecordingCardHandler ReadCards(std::string_view bytes, ReadOptions options = {});

} // namespace orvandel::test
