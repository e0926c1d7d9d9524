#pragma once

#include "PhotoOutput.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvandel {

enum class PhotoForm
{
    Inline, // Base64 in the card, plain or as a data: address; its bytes are decoded
    Link, // only an address elsewhere (http, https, ...): nothing to decode
    Unsupported, // written in a way that carries no image this program can take out
};

// A photo property as it begins.
struct PhotoStart
{
    std::string property; // "PHOTO", "X-MS-CARDPICTURE" or "LOGO"
    std::uint64_t line = 0; // the input line where its property starts, from 1
    std::string declaredType; // its TYPE, MEDIATYPE, bare type parameter or data: media type, as written
    PhotoForm form = PhotoForm::Inline;
    std::string address; // Link: the address
    std::string problem; // Unsupported: why it is left alone
};

// How a photo's data ended.
struct PhotoEnd
{
    bool ok = true;
    std::string error; // what could not be decoded, when not ok
    std::uint64_t errorLine = 0; // the input line where it went wrong, when known
    bool repaired = false; // Base64 had to be repaired
    std::uint64_t bytes = 0; // decoded bytes
};

// What is known of a card.
struct CardFields
{
    std::size_t number = 0; // from 1, in its file
    std::uint64_t line = 0; // the input line where it starts
    std::string fn; // the first FN that is not empty
    std::string uid; // the first UID that is not empty
};

// Receives the cards as they are read. Photos come between their card's start and end; a card's
// FN may come after its photos, so names are best chosen at the card's end.
class CardHandler
{
public:
    virtual ~CardHandler() = default;
    virtual void cardStarted(std::size_t number) = 0;
    // A photo begins. An inline photo's bytes go to the returned output while it is decoded
    // (nowhere when it is null). Links and unsupported photos start and end at once.
    virtual PhotoOutput* photoStarted(const PhotoStart& photo) = 0;
    // The photo that started last has ended. `card` is what is known of its card so far.
    virtual void photoEnded(const PhotoEnd& end, const CardFields& card) = 0;
    virtual void cardEnded(const CardFields& card) = 0;
};

} // namespace orvandel
