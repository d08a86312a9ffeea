#include "update/HttpTransfer.h"

#include <curl/curl.h>

#include <memory>

namespace norvane {

namespace {

constexpr int kPollMilliseconds = 100;
// Follow a server that moved a file, but not a chain of moves or a loop.
constexpr long kMaxRedirects = 5;
constexpr const char* kAgent = "Orvalis:INET";
constexpr const char* kProtocols = "http,https";

void initCurlOnce() {
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    Q_UNUSED(initialised);
}

struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiCleanup {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Easy = std::unique_ptr<CURL, EasyCleanup>;
using Multi = std::unique_ptr<CURLM, MultiCleanup>;
using HeaderList = std::unique_ptr<curl_slist, ListCleanup>;

// Keeps the easy handle in the multi handle for the duration of one transfer.
class Attachment {
public:
    Attachment(CURLM* multi, CURL* easy) : multi_(multi), easy_(easy) {
        attached_ = curl_multi_add_handle(multi_, easy_) == CURLM_OK;
    }
    ~Attachment() {
        if (attached_)
            curl_multi_remove_handle(multi_, easy_);
    }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;
    bool attached() const { return attached_; }

private:
    CURLM* multi_;
    CURL* easy_;
    bool attached_ = false;
};

struct Body {
    CURL* easy = nullptr;
    QByteArray bytes;
    qint64 maxBytes = 0;
};

// Makes room for the announced length at once instead of growing the buffer step by step.
void reserveAnnouncedLength(Body& body) {
    curl_off_t announced = -1;
    if (curl_easy_getinfo(body.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) == CURLE_OK &&
        announced > 0 && announced <= body.maxBytes)
        body.bytes.reserve(static_cast<qsizetype>(announced));
}

size_t appendToBody(char* data, size_t size, size_t count, void* user) {
    auto* body = static_cast<Body*>(user);
    const size_t length = size * count;
    if (body->bytes.size() + static_cast<qint64>(length) > body->maxBytes)
        return 0; // libcurl ends the transfer with CURLE_WRITE_ERROR
    if (body->bytes.isEmpty() && body->bytes.capacity() == 0)
        reserveAnnouncedLength(*body);
    body->bytes.append(data, static_cast<qsizetype>(length));
    return length;
}

HeaderList noCacheHeaders() {
    curl_slist* list = curl_slist_append(nullptr, "Cache-Control: no-cache");
    if (list == nullptr)
        return {};
    HeaderList headers(list);
    if (curl_slist_append(list, "Pragma: no-cache") == nullptr)
        return {};
    return headers;
}

bool configure(CURL* easy, const HttpGetRequest& request, curl_slist* headers, Body& body,
               const QByteArray& url) {
    const TransferLimits& limits = request.limits;
    bool ok = true;
    auto set = [&](CURLoption option, auto value) {
        ok = ok && curl_easy_setopt(easy, option, value) == CURLE_OK;
    };
    set(CURLOPT_URL, url.constData());
    set(CURLOPT_PROTOCOLS_STR, kProtocols);
    set(CURLOPT_REDIR_PROTOCOLS_STR, kProtocols);
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, kMaxRedirects);
    set(CURLOPT_USERAGENT, kAgent);
    set(CURLOPT_HTTPHEADER, headers);
    set(CURLOPT_FAILONERROR, 1L);
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
    set(CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
    set(CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
    set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBodyBytes));
    set(CURLOPT_WRITEFUNCTION, &appendToBody);
    set(CURLOPT_WRITEDATA, static_cast<void*>(&body));
    if (request.direct)
        set(CURLOPT_PROXY, ""); // an empty proxy overrides http_proxy and friends
    return ok;
}

// Runs the transfer to its end; the transfer's own result, or CURLE_FAILED_INIT when the
// multi interface itself failed.
CURLcode drive(CURLM* multi, const Body& body, const HttpGetRequest& request) {
    qsizetype reported = 0;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK)
            return CURLE_FAILED_INIT;
        if (body.bytes.size() != reported && request.onBodyGrown) {
            reported = body.bytes.size();
            request.onBodyGrown(reported);
        }
        if (running == 0)
            break;
        if (curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr) != CURLM_OK)
            return CURLE_FAILED_INIT;
        if (request.onIdle)
            request.onIdle();
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE)
            return message->data.result;
    }
    return CURLE_FAILED_INIT;
}

bool answeredWithSuccess(CURL* easy) {
    long status = 0;
    return curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status >= 200 &&
           status < 300;
}

} // namespace

std::optional<QByteArray> httpGet(const HttpGetRequest& request) {
    initCurlOnce();
    Multi multi(curl_multi_init());
    Easy easy(curl_easy_init());
    HeaderList headers = noCacheHeaders();
    if (!multi || !easy || !headers)
        return std::nullopt;

    const QByteArray url = request.url.toUtf8();
    Body body;
    body.easy = easy.get();
    body.maxBytes = request.limits.maxBodyBytes;
    if (!configure(easy.get(), request, headers.get(), body, url))
        return std::nullopt;

    CURLcode result = CURLE_FAILED_INIT;
    {
        const Attachment attachment(multi.get(), easy.get());
        if (attachment.attached())
            result = drive(multi.get(), body, request);
    }
    if (result != CURLE_OK || !answeredWithSuccess(easy.get()))
        return std::nullopt;
    return std::move(body.bytes);
}

} // namespace norvane
