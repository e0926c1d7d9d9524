#include "ExporterShapes.h"

#include "TestImages.h"

#include <tuple>

namespace orvandel::test {

namespace {

    // iPhone: vCard 3.0, CR LF, grouped properties, "ENCODING=b;TYPE=JPEG", Base64 folded with one
    // blank. The second card's photo is a PNG that the card calls JPEG.
    ExporterShape IPhone()
    {
        const std::string johnny = JpegImage(std::string(300, 'j'));
        const std::string kate = PngImage(std::string(200, 'k'));
        std::string text;
        const std::tuple<std::string, std::string, std::string> people[]
            = {{"Johnny Appleseed", "Appleseed;Johnny;;;", johnny}, {"Kate Bell", "Bell;Kate;;;", kate}};
        for (const auto& [fn, n, image] : people) {
            text += "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Apple Inc.//iPhone OS 17.2//EN\r\n";
            text += std::string("N:") + n + "\r\nFN:" + fn + "\r\n";
            text += "item1.EMAIL;type=INTERNET;type=pref:someone@example.com\r\n";
            text += "item1.X-ABLabel:_$!<Other>!$_\r\n";
            text += "PHOTO;ENCODING=b;TYPE=JPEG:" + Fold(ToBase64(image), 74, " ", "\r\n") + "\r\n";
            text += "END:VCARD\r\n";
        }
        return {"IPhone",
                "iPhone export.vcf",
                text,
                false,
                {{"Johnny Appleseed.jpg", johnny}, {"Kate Bell.png", kate}},
                {}};
    }

    // Android 2.1: quoted-printable UTF-8 names (one with a soft line break), a bare JPEG
    // parameter, Base64 lines indented by one blank and ended by an empty line.
    ExporterShape Android21()
    {
        const std::string first = JpegImage(std::string(150, 'a'));
        const std::string second = GifImage(std::string(120, 'g'));
        std::string text = "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                           "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0;=E4=B8=89;;;\r\n"
                           "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0=E4=B8=89\r\n"
                           "TEL;CELL:555-0100\r\n"
                           "PHOTO;ENCODING=BASE64;JPEG:"
            + Fold(ToBase64(first), 76, " ", "\r\n") + "\r\n\r\nEND:VCARD\r\n";
        text += "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Ren=C3=A9e =\r\nDupont\r\n"
                "PHOTO;ENCODING=BASE64;GIF:"
            + Fold(ToBase64(second), 76, " ", "\r\n") + "\r\n\r\nEND:VCARD\r\n";
        return {"Android21", "contacts.vcf", text, false, {{"张三.jpg", first}, {"Renée Dupont.gif", second}},
                {}};
    }

    // Android 3.0: LF alone, "ENCODING=B" without a type, folded with one blank.
    ExporterShape Android30()
    {
        const std::string image = BmpImage(std::string(180, 'b'));
        const std::string text = "BEGIN:VCARD\nVERSION:3.0\nN:Li;Wei;;;\nFN:Li Wei\nTEL;TYPE=CELL:555-0101\n"
                                 "PHOTO;ENCODING=B:"
            + Fold(ToBase64(image), 75, " ", "\n") + "\nEND:VCARD\n";
        return {"Android30", "00001.vcf", text, false, {{"Li Wei.bmp", image}}, {}};
    }

    // Outlook: vCard 2.1, the photo twice (PHOTO and X-MS-CARDPICTURE), Base64 starting on the
    // next line with two blanks of indent, FN only after the photos.
    ExporterShape Outlook()
    {
        const std::string image = JpegImage(std::string(240, 'o'));
        const std::string data = "\r\n  " + Fold(ToBase64(image), 72, "  ", "\r\n") + "\r\n\r\n";
        const std::string text = "BEGIN:VCARD\r\nVERSION:2.1\r\nN;LANGUAGE=en-us:Okafor;Ruth\r\n"
                                 "PHOTO;TYPE=JPEG;ENCODING=BASE64:"
            + data + "X-MS-CARDPICTURE;TYPE=JPEG;ENCODING=BASE64:" + data
            + "X-MS-OL-DEFAULT-POSTAL-ADDRESS:0\r\nFN:Ruth Okafor\r\nREV:20240101T000000Z\r\nEND:VCARD\r\n";
        return {"Outlook",
                "Ruth Okafor.vcf",
                text,
                false,
                {{"Ruth Okafor.jpg", image}, {"Ruth Okafor (2).jpg", image}},
                {}};
    }

    // Thunderbird: vCard 4.0 with a data: address, and the older "VALUE=URL:data:" form.
    ExporterShape Thunderbird()
    {
        const std::string mara = PngImage(std::string(260, 'm'));
        const std::string otto = JpegImage(std::string(90, 't'));
        const std::string text = "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Mara Lind\r\nN:Lind;Mara;;;\r\n"
                                 "PHOTO:"
            + Fold("data:image/png;base64," + ToBase64(mara), 75, " ", "\r\n")
            + "\r\nUID:7d2c1f4e-0000-4000-8000-000000000001\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Otto Brenner\r\nPHOTO;VALUE=URL:"
            + Fold("data:image/jpeg;base64," + ToBase64(otto), 75, " ", "\r\n") + "\r\nEND:VCARD\r\n";
        return {"ThunderbirdVCard4",
                "abook.vcf",
                text,
                false,
                {{"Mara Lind.png", mara}, {"Otto Brenner.jpg", otto}},
                {}};
    }

    // An old Mac address book: UTF-16 big-endian without a byte-order mark, CR alone, a bare
    // BASE64 parameter and a TIFF photo.
    ExporterShape OldMac()
    {
        const std::string image = TiffImage(std::string(200, 'h'), true);
        const std::string text = "BEGIN:VCARD\rVERSION:3.0\rN:Marchand;Hélène;;;\rFN:Hélène Marchand\r"
                                 "PHOTO;BASE64:\r  "
            + Fold(ToBase64(image), 76, "  ", "\r") + "\rX-ABUID:5E1F:ABPerson\rEND:VCARD\r";
        return {"OldMacUtf16",
                "Address Book.vcf",
                ToUtf16(text, true, false),
                false,
                {{"Hélène Marchand.tif", image}},
                {}};
    }

    // BlackBerry: each photo's Base64 on one long line.
    ExporterShape BlackBerry()
    {
        const std::string first = JpegImage(std::string(3000, 'x'));
        const std::string second = GifImage(std::string(2000, 'y'));
        const std::string text
            = "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Dana Kerr\r\nPHOTO;ENCODING=BASE64;TYPE=JPEG:"
            + ToBase64(first)
            + "\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nFN:Eli Ward\r\nPHOTO;ENCODING=BASE64;TYPE=GIF:"
            + ToBase64(second) + "\r\nEND:VCARD\r\n";
        return {"BlackBerryOneLine",
                "bb.vcf",
                text,
                false,
                {{"Dana Kerr.jpg", first}, {"Eli Ward.gif", second}},
                {}};
    }

    // Google: the photo is only a link, with an "=" in it.
    ExporterShape Google()
    {
        const std::string text
            = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Sam Lee\r\nN:Lee;Sam;;;\r\n"
              "PHOTO:https://lh3.googleusercontent.com/contacts/AbC-123_x=s100\r\nEND:VCARD\r\n";
        return {"GoogleLinkOnly",
                "contacts (1).vcf",
                text,
                false,
                {},
                {"https://lh3.googleusercontent.com/contacts/AbC-123_x=s100"}};
    }

    // vCard 2.1 Base64 lines without any indent, up to an empty line, its padding lost.
    ExporterShape Unindented21()
    {
        const std::string image = GifImage(std::string(100, 'p')); // 113 bytes: Base64 ends with "="
        std::string data = ToBase64(image);
        while (data.back() == '=')
            data.pop_back();
        const std::string text
            = "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Pekka Virtanen\r\nPHOTO;ENCODING=BASE64;TYPE=GIF:\r\n"
            + Fold(data, 64, "", "\r\n") + "\r\n\r\nTEL:555\r\nEND:VCARD\r\n";
        return {"Unindented21", "nokia.vcf", text, false, {{"Pekka Virtanen.gif", image}}, {}};
    }

    // UTF-16 little-endian with a byte-order mark, as Windows tools write it.
    ExporterShape Utf16LittleEndian()
    {
        const std::string image = WebPImage(std::string(170, 'w'));
        const std::string text = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zoë 😀\r\nPHOTO;ENCODING=b;TYPE=WEBP:"
            + Fold(ToBase64(image), 75, " ", "\r\n") + "\r\nEND:VCARD\r\n";
        return {"Utf16LittleEndianWithMark", "windows.vcf",
                ToUtf16(text, false, true),  false,
                {{"Zoë 😀.webp", image}},     {}};
    }

    // vCard 4.0 with MEDIATYPE, a HEIC photo and an AVIF logo, logos asked for.
    ExporterShape Logos()
    {
        const std::string photo = HeicImage(std::string(90, 'e'));
        const std::string logo = AvifImage(std::string(90, 'v'));
        const std::string text = "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:org\r\nFN:Studio Nine\r\n"
                                 "PHOTO;MEDIATYPE=image/heic:data:image/heic;base64,"
            + ToBase64(photo) + "\r\nLOGO:data:image/avif;base64," + ToBase64(logo) + "\r\nEND:VCARD\r\n";
        return {"Vcard4LogosAsked",
                "org.vcf",
                text,
                true,
                {{"Studio Nine.heic", photo}, {"Studio Nine.avif", logo}},
                {}};
    }

    // Names and parameters in lower case, a group prefix and a UTF-8 byte-order mark.
    ExporterShape LowerCase()
    {
        const std::string image = JpegImage("lower");
        const std::string text = "\xEF\xBB\xBF"
                                 "begin:vcard\nversion:3.0\nfn:lower case\nitem7.photo;type=jpeg;encoding=b:"
            + ToBase64(image) + "\nend:vcard\n";
        return {"LowerCaseGroupAndMark", "lower.vcf", text, false, {{"lower case.jpg", image}}, {}};
    }

    // A contact server and an address-book add-on: vCard 4.0 data: addresses with "," and ";"
    // escaped as in text values, folded wherever the line is full.
    ExporterShape EscapedDataAddresses()
    {
        const std::string ines = PngImage(std::string(210, 's'));
        const std::string tomas = JpegImage(std::string(160, 'c'));
        const std::string text = "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ines Moreau\r\nPHOTO:"
            + Fold("data:image/png;base64\\," + ToBase64(ines), 75, " ", "\r\n")
            + "\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:4.0\r\nFN:Tomas Berg\r\nPHOTO:"
            + Fold("data:image/JPEG\\;base64\\," + ToBase64(tomas), 75, " ", "\r\n") + "\r\nEND:VCARD\r\n";
        return {"EscapedDataAddresses",
                "server.vcf",
                text,
                false,
                {{"Ines Moreau.png", ines}, {"Tomas Berg.jpg", tomas}},
                {}};
    }

    // A data: address whose bytes are percent-encoded, without ";base64".
    ExporterShape PercentEncodedDataAddress()
    {
        const std::string image = GifImage(std::string(140, '%') + "plain text, and more");
        std::string encoded;
        for (const char c : image) {
            const auto byte = static_cast<unsigned char>(c);
            const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            const char* digits = "0123456789ABCDEF";
            encoded += plain ? std::string(1, c) : std::string {'%', digits[byte >> 4], digits[byte & 15]};
        }
        const std::string text = "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Percy Vale\r\nPHOTO:"
            + Fold("data:image/gif," + encoded, 75, " ", "\r\n") + "\r\nEND:VCARD\r\n";
        return {"PercentEncodedDataAddress", "percent.vcf", text, false, {{"Percy Vale.gif", image}}, {}};
    }

    // Windows-1252 names, one plain and one quoted-printable, as older Windows exports write them,
    // and a set nobody knows, read as ISO 8859-1, whose control character leaves the file name.
    ExporterShape CharsetNames()
    {
        const std::string first = JpegImage(std::string(120, '1'));
        const std::string second = JpegImage(std::string(120, '2'));
        const std::string third = JpegImage(std::string(120, '3'));
        const std::string text = "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=WINDOWS-1252:Caf\x80 \x93"
                                 "Bar\x94\r\nPHOTO;ENCODING=BASE64;TYPE=JPEG:"
            + ToBase64(first)
            + "\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:2.1\r\n"
              "FN;CHARSET=Windows-1252;ENCODING=QUOTED-PRINTABLE:Fran=E7oise =96 =\r\nL=F6we\r\n"
              "PHOTO;ENCODING=BASE64;TYPE=JPEG:"
            + ToBase64(second)
            + "\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=X-UNHEARD-OF:Ren\xE9\x85Roy\r\n"
              "PHOTO;ENCODING=BASE64;TYPE=JPEG:"
            + ToBase64(third) + "\r\nEND:VCARD\r\n";
        return {"CharsetNames",
                "charsets.vcf",
                text,
                false,
                {{"Caf€ “Bar”.jpg", first}, {"Françoise – Löwe.jpg", second}, {"René_Roy.jpg", third}},
                {}};
    }

} // namespace

std::vector<ExporterShape> ExporterShapes()
{
    return {IPhone(),
            Android21(),
            Android30(),
            Outlook(),
            Thunderbird(),
            OldMac(),
            BlackBerry(),
            Google(),
            Unindented21(),
            Utf16LittleEndian(),
            Logos(),
            LowerCase(),
            EscapedDataAddresses(),
            PercentEncodedDataAddress(),
            CharsetNames()};
}

} // namespace orvandel::test
