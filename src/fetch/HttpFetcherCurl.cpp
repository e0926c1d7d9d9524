// HttpFetcher on libcurl's multi interface: Debian's libcurl (OpenSSL) on Linux, on Windows a
// libcurl built with the system's Schannel (its certificate store).
#include "HttpFetcher.h"
#include "IpAddress.h"
#include "util/AsciiText.h"

#include <algorithm>
#include <cstring>
#include <curl/curl.h>
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace orvandel {

namespace {

    std::optional<IpAddress> AddressOf(const curl_sockaddr& address)
    {
        IpAddress ip;
        if (address.family == AF_INET && address.addrlen >= sizeof(sockaddr_in)) {
            const auto& in = reinterpret_cast<const sockaddr_in&>(address.addr);
            std::memcpy(ip.bytes.data(), &in.sin_addr, 4);
            return ip;
        }
        if (address.family == AF_INET6 && address.addrlen >= sizeof(sockaddr_in6)) {
            const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address.addr);
            ip.v6 = true;
            std::memcpy(ip.bytes.data(), &in6.sin6_addr, 16);
            return ip;
        }
        return std::nullopt;
    }

    std::string Seconds(std::chrono::seconds seconds)
    {
        return std::to_string(seconds.count()) + " s";
    }

    std::string Megabytes(std::uint64_t bytes)
    {
        return std::to_string(bytes / 1000000) + " MB";
    }

    struct Transfer
    {
        HttpFetcher::Id id = 0;
        std::string url;
        std::string host;
        FetchBody* body = nullptr;
        const FetchSettings* settings = nullptr;
        CURL* easy = nullptr;
        curl_slist* resolve = nullptr;
        std::uint64_t bytes = 0;
        bool tooLarge = false;
        bool stoppedByBody = false;
        std::string refusal; // why an address was not connected to
        std::string contentType;
        std::string location; // of the last redirect
        char errors[CURL_ERROR_SIZE] = {};

        Transfer() = default;
        Transfer(const Transfer&) = delete;
        Transfer& operator=(const Transfer&) = delete;
        ~Transfer()
        {
            if (easy)
                curl_easy_cleanup(easy);
            curl_slist_free_all(resolve);
        }
    };

    // Every connection the transfer makes, for each redirect too, is to an address just resolved:
    // it is judged here, before the socket exists, so nothing is sent to a refused one.
    curl_socket_t OpenSocket(void* data, curlsocktype purpose, curl_sockaddr* address)
    {
        auto& transfer = *static_cast<Transfer*>(data);
        if (purpose == CURLSOCKTYPE_IPCXN && !transfer.settings->allowLocal) {
            const auto ip = AddressOf(*address);
            if (!ip) {
                if (transfer.refusal.empty())
                    transfer.refusal = "refused: not an internet address";
                return CURL_SOCKET_BAD;
            }
            if (const auto reason = LocalAddressReason(*ip)) {
                if (transfer.refusal.empty())
                    transfer.refusal = "refused: " + ip->text() + " is " + *reason;
                return CURL_SOCKET_BAD;
            }
        }
        return socket(address->family, address->socktype, address->protocol);
    }

    std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user)
    {
        auto& transfer = *static_cast<Transfer*>(user);
        const std::size_t length = size * count;
        if (transfer.bytes + length > transfer.settings->maxBytes) {
            transfer.tooLarge = true;
            return 0;
        }
        if (transfer.contentType.empty()) {
            char* type = nullptr;
            if (curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
                transfer.contentType = type;
        }
        transfer.bytes += length;
        if (!transfer.body->received(std::string_view(data, length), transfer.contentType)) {
            transfer.stoppedByBody = true;
            return 0;
        }
        return length;
    }

    // Keeps the last redirect's address, to tell where a refused redirect went.
    std::size_t ReadHeader(char* data, std::size_t size, std::size_t count, void* user)
    {
        auto& transfer = *static_cast<Transfer*>(user);
        const std::string_view line(data, size * count);
        constexpr std::string_view kLocation = "location:";
        if (line.size() > kLocation.size()
            && EqualsIgnoringAsciiCase(line.substr(0, kLocation.size()), kLocation))
            transfer.location = std::string(TrimCharacters(line.substr(kLocation.size()), " \t\r\n"));
        return size * count;
    }

    class CurlFetcher final : public HttpFetcher
    {
    public:
        explicit CurlFetcher(FetchSettings settings)
            : m_settings(std::move(settings))
        {
            static std::once_flag initialised;
            std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
            m_settings.connectTimeout = std::min(m_settings.connectTimeout, m_settings.timeout);
            m_multi = curl_multi_init();
            if (!m_multi)
                throw std::runtime_error("the HTTP client could not be started");
        }

        ~CurlFetcher() override
        {
            for (auto& [id, transfer] : m_transfers) {
                if (transfer->easy)
                    curl_multi_remove_handle(m_multi, transfer->easy);
            }
            m_transfers.clear();
            curl_multi_cleanup(m_multi);
        }

        Id add(const std::string& url, FetchBody& body) override
        {
            auto transfer = std::make_unique<Transfer>();
            transfer->id = ++m_lastId;
            transfer->body = &body;
            transfer->settings = &m_settings;
            const Id id = transfer->id;
            std::string problem;
            if (!IsFetchableAddress(url)) {
                problem = "not an http or https address";
            } else if (!normalise(url, *transfer)) {
                problem = "not a web address that can be fetched";
            }
            if (!problem.empty()) {
                FetchOutcome outcome;
                outcome.error = problem;
                m_ended.emplace_back(id, std::move(outcome));
                return id;
            }
            m_waiting.push_back(id);
            m_transfers.emplace(id, std::move(transfer));
            startWaiting();
            return id;
        }

        void cancel(Id id) override
        {
            std::erase_if(m_ended, [id](const auto& ended) { return ended.first == id; });
            const auto found = m_transfers.find(id);
            if (found == m_transfers.end())
                return;
            finishTransfer(*found->second);
            m_transfers.erase(found);
            std::erase(m_waiting, id);
            startWaiting();
        }

        std::vector<std::pair<Id, FetchOutcome>> run(std::chrono::milliseconds wait) override
        {
            perform();
            if (m_ended.empty() && !m_transfers.empty() && wait.count() > 0) {
                int ready = 0;
                curl_multi_poll(m_multi, nullptr, 0, static_cast<int>(wait.count()), &ready);
                perform();
            }
            std::vector<std::pair<Id, FetchOutcome>> ended;
            ended.swap(m_ended);
            return ended;
        }

        std::size_t pending() const override { return m_transfers.size(); }

    private:
        // The address as it is sent: its scheme and host checked, without user name or password.
        static bool normalise(const std::string& url, Transfer& transfer)
        {
            CURLU* parsed = curl_url();
            if (!parsed)
                return false;
            bool ok = curl_url_set(parsed, CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK;
            ok = ok && curl_url_set(parsed, CURLUPART_USER, nullptr, 0) == CURLUE_OK;
            ok = ok && curl_url_set(parsed, CURLUPART_PASSWORD, nullptr, 0) == CURLUE_OK;
            char* host = nullptr;
            char* text = nullptr;
            ok = ok && curl_url_get(parsed, CURLUPART_HOST, &host, 0) == CURLUE_OK;
            ok = ok && curl_url_get(parsed, CURLUPART_URL, &text, 0) == CURLUE_OK;
            if (ok) {
                transfer.host = host;
                std::transform(transfer.host.begin(), transfer.host.end(), transfer.host.begin(),
                               [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
                transfer.url = text;
            }
            curl_free(host);
            curl_free(text);
            curl_url_cleanup(parsed);
            return ok;
        }

        void startWaiting()
        {
            for (auto at = m_waiting.begin(); at != m_waiting.end() && m_running < m_settings.maxTransfers;) {
                Transfer& transfer = *m_transfers.at(*at);
                if (m_perHost[transfer.host] >= m_settings.maxPerHost) {
                    ++at;
                    continue;
                }
                at = m_waiting.erase(at);
                start(transfer);
            }
        }

        void start(Transfer& transfer)
        {
            CURL* easy = curl_easy_init();
            if (!easy) {
                FetchOutcome outcome;
                outcome.error = "the HTTP client could not start the transfer";
                m_ended.emplace_back(transfer.id, std::move(outcome));
                m_transfers.erase(transfer.id);
                return;
            }
            transfer.easy = easy;
            const long connect = static_cast<long>(m_settings.connectTimeout.count()) * 1000;
            const long whole = static_cast<long>(m_settings.timeout.count()) * 1000;
            curl_easy_setopt(easy, CURLOPT_URL, transfer.url.c_str());
            curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
            curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer.errors);
            curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
            curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
            curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
            curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
            curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(m_settings.maxRedirects));
            curl_easy_setopt(easy, CURLOPT_USERAGENT, m_settings.userAgent.c_str());
            // Straight to the host: through a proxy the address connected to could not be judged.
            curl_easy_setopt(easy, CURLOPT_PROXY, "");
            curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connect);
            curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, whole);
            curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(m_settings.maxBytes));
            curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, ""); // every encoding this libcurl decodes
            curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
#ifdef CURLSSLOPT_REVOKE_BEST_EFFORT
            // Schannel asks whether a certificate was revoked; a list that cannot be reached is no refusal.
            curl_easy_setopt(easy, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
#endif
            if (!m_settings.caFile.empty())
                curl_easy_setopt(easy, CURLOPT_CAINFO, m_settings.caFile.c_str());
            for (const std::string& entry : m_settings.resolve)
                transfer.resolve = curl_slist_append(transfer.resolve, entry.c_str());
            if (transfer.resolve)
                curl_easy_setopt(easy, CURLOPT_RESOLVE, transfer.resolve);
            curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, OpenSocket);
            curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, &transfer);
            curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, ReadHeader);
            curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
            curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteBody);
            curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
            if (curl_multi_add_handle(m_multi, easy) != CURLM_OK) {
                FetchOutcome outcome;
                outcome.error = "the HTTP client could not start the transfer";
                m_ended.emplace_back(transfer.id, std::move(outcome));
                m_transfers.erase(transfer.id);
                return;
            }
            ++m_running;
            ++m_perHost[transfer.host];
        }

        void perform()
        {
            int running = 0;
            curl_multi_perform(m_multi, &running);
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(m_multi, &left)) {
                if (message->msg != CURLMSG_DONE)
                    continue;
                Transfer* transfer = nullptr;
                curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
                FetchOutcome outcome = outcomeOf(*transfer, message->data.result);
                const Id id = transfer->id;
                finishTransfer(*transfer);
                m_transfers.erase(id);
                m_ended.emplace_back(id, std::move(outcome));
            }
            startWaiting();
        }

        void finishTransfer(Transfer& transfer)
        {
            if (!transfer.easy)
                return;
            curl_multi_remove_handle(m_multi, transfer.easy);
            curl_easy_cleanup(transfer.easy);
            transfer.easy = nullptr;
            --m_running;
            if (--m_perHost[transfer.host] == 0)
                m_perHost.erase(transfer.host);
        }

        FetchOutcome outcomeOf(Transfer& transfer, CURLcode code) const
        {
            FetchOutcome outcome;
            outcome.bytes = transfer.bytes;
            char* type = nullptr;
            if (curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
                outcome.contentType = type;
            long status = 0;
            curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &status);
            const std::string detail = transfer.errors[0] != '\0' ? std::string(": ") + transfer.errors : "";
            switch (code) {
            case CURLE_OK:
                if (status >= 200 && status < 300) {
                    outcome.ok = true;
                    return outcome;
                }
                outcome.error = "HTTP " + std::to_string(status);
                return outcome;
            case CURLE_HTTP_RETURNED_ERROR:
                outcome.error = "HTTP " + std::to_string(status);
                return outcome;
            case CURLE_WRITE_ERROR:
                if (transfer.stoppedByBody) {
                    outcome.stoppedByBody = true;
                    outcome.error = "stopped";
                    return outcome;
                }
                if (transfer.tooLarge) {
                    outcome.error = "over " + Megabytes(m_settings.maxBytes);
                    return outcome;
                }
                break;
            case CURLE_FILESIZE_EXCEEDED:
                outcome.error = "over " + Megabytes(m_settings.maxBytes);
                return outcome;
            case CURLE_OPERATION_TIMEDOUT: {
                curl_off_t connected = 0;
                curl_easy_getinfo(transfer.easy, CURLINFO_CONNECT_TIME_T, &connected);
                outcome.error = connected == 0 && m_settings.connectTimeout < m_settings.timeout
                    ? "could not connect within " + Seconds(m_settings.connectTimeout)
                    : "timed out after " + Seconds(m_settings.timeout);
                return outcome;
            }
            case CURLE_COULDNT_CONNECT:
                if (!transfer.refusal.empty()) {
                    outcome.error = transfer.refusal;
                    return outcome;
                }
                outcome.error = "could not connect" + detail;
                return outcome;
            case CURLE_COULDNT_RESOLVE_HOST:
                outcome.error = "the host's name could not be found";
                return outcome;
            case CURLE_PARTIAL_FILE:
                outcome.error = "the body was cut short";
                return outcome;
            case CURLE_TOO_MANY_REDIRECTS:
                outcome.error = "more than " + std::to_string(m_settings.maxRedirects) + " redirects";
                return outcome;
            case CURLE_UNSUPPORTED_PROTOCOL:
            case CURLE_URL_MALFORMAT:
                // A libcurl that knows only http and https takes any other address for a malformed one.
                if (status >= 300 && status < 400 && !IsFetchableAddress(transfer.location)) {
                    outcome.error
                        = "redirected to an address that is neither http nor https: " + transfer.location;
                    return outcome;
                }
                break;
            case CURLE_PEER_FAILED_VERIFICATION:
                outcome.error = "the server's certificate was refused" + detail;
                return outcome;
            case CURLE_BAD_CONTENT_ENCODING:
                outcome.error = "the body could not be decoded" + detail;
                return outcome;
            default:
                break;
            }
            outcome.error = std::string(curl_easy_strerror(code)) + detail;
            if (!transfer.refusal.empty())
                outcome.error = transfer.refusal;
            return outcome;
        }

        FetchSettings m_settings;
        CURLM* m_multi = nullptr;
        Id m_lastId = 0;
        std::map<Id, std::unique_ptr<Transfer>> m_transfers;
        std::deque<Id> m_waiting;
        std::map<std::string, std::size_t> m_perHost;
        std::size_t m_running = 0;
        std::vector<std::pair<Id, FetchOutcome>> m_ended;
    };

} // namespace

std::unique_ptr<HttpFetcher> MakeHttpFetcher(FetchSettings settings)
{
    return std::make_unique<CurlFetcher>(std::move(settings));
}

} // namespace orvandel
