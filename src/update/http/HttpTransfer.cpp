#include "update/http/HttpTransfer.h"

#include "platform/libraries/CurlLibrary.h"

#include <memory>

namespace norvane {

namespace {

// How long the transfer waits for the network before it looks at the cancel flag again.
constexpr int kPollMilliseconds = 50;
// Follow a server that moved a file, but not a chain of moves or a loop.
constexpr long kMaxRedirects = 5;
constexpr const char* kAgent = "Orvalis:INET";
constexpr const char* kProtocols = "http,https";
constexpr long kReceiveBufferBytes = 512 * 1024;

// libcurl's functions; called only after runHttpGet has seen the library loaded.
const CurlLibrary& curl() {
    return *curlLibrary();
}

struct EasyCleanup {
    void operator()(CURL* easy) const { curl().easy_cleanup(easy); }
};
struct MultiCleanup {
    void operator()(CURLM* multi) const { curl().multi_cleanup(multi); }
};
struct ListCleanup {
    void operator()(curl_slist* list) const { curl().slist_free_all(list); }
};
using Easy = std::unique_ptr<CURL, EasyCleanup>;
using Multi = std::unique_ptr<CURLM, MultiCleanup>;
using HeaderList = std::unique_ptr<curl_slist, ListCleanup>;

// Keeps the easy handle in the multi handle for the duration of one transfer.
class Attachment {
public:
    Attachment(CURLM* multi, CURL* easy) : multi_(multi), easy_(easy) {
        attached_ = curl().multi_add_handle(multi_, easy_) == CURLM_OK;
    }
    ~Attachment() {
        if (attached_)
            curl().multi_remove_handle(multi_, easy_);
    }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;
    bool attached() const { return attached_; }

private:
    CURLM* multi_;
    CURL* easy_;
    bool attached_ = false;
};

// What the write callback works with. `stoppedBy` says why it refused bytes, so that
// libcurl's plain CURLE_WRITE_ERROR can be told apart afterwards.
struct Destination {
    CURL* easy = nullptr;
    BodyReceiver* receiver = nullptr;
    TransferControl* control = nullptr;
    qint64 maxBytes = 0;
    bool totalKnown = false;
    TransferError stoppedBy = TransferError::None;
};

void noteAnnouncedLength(Destination& destination) {
    destination.totalKnown = true;
    curl_off_t announced = -1;
    if (curl().easy_getinfo(destination.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) == CURLE_OK &&
        announced >= 0) {
        destination.control->total = static_cast<qint64>(announced);
        destination.receiver->expect(qMin(static_cast<qint64>(announced), destination.maxBytes));
    }
}

// libcurl's write callback: a C function, so nothing may be thrown out of it.
size_t passBodyOn(char* data, size_t size, size_t count, void* user) noexcept {
    auto& destination = *static_cast<Destination*>(user);
    TransferControl& control = *destination.control;
    const size_t length = size * count;
    if (control.cancel.load()) {
        destination.stoppedBy = TransferError::Cancelled;
        return 0;
    }
    if (control.received.load() + static_cast<qint64>(length) > destination.maxBytes) {
        destination.stoppedBy = TransferError::TooLarge;
        return 0;
    }
    if (!destination.totalKnown)
        noteAnnouncedLength(destination);
    const TransferError stored = destination.receiver->receive(data, length);
    if (stored != TransferError::None) {
        destination.stoppedBy = stored;
        return 0; // libcurl ends the transfer with CURLE_WRITE_ERROR
    }
    control.received += static_cast<qint64>(length);
    if (control.notify)
        control.notify();
    return length;
}

HeaderList noCacheHeaders() {
    curl_slist* list = curl().slist_append(nullptr, "Cache-Control: no-cache");
    if (list == nullptr)
        return {};
    HeaderList headers(list);
    if (curl().slist_append(list, "Pragma: no-cache") == nullptr)
        return {};
    return headers;
}

bool configure(CURL* easy, const HttpGetRequest& request, curl_slist* headers, Destination& destination,
               const QByteArray& url) {
    const TransferLimits& limits = request.limits;
    bool ok = true;
    auto set = [&](CURLoption option, auto value) {
        ok = ok && curl().easy_setopt(easy, option, value) == CURLE_OK;
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
    // An announced length above the limit fails before the first byte; 0 would mean "no limit".
    if (destination.maxBytes > 0)
        set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(destination.maxBytes));
    // Large reads: fewer calls into the receiver and fewer system calls per megabyte.
    set(CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    set(CURLOPT_WRITEFUNCTION, &passBodyOn);
    set(CURLOPT_WRITEDATA, static_cast<void*>(&destination));
    if (request.direct)
        set(CURLOPT_PROXY, ""); // an empty proxy overrides http_proxy and friends
    return ok;
}

// Runs the transfer to its end or to a cancel request; the transfer's own result, or
// CURLE_FAILED_INIT when the multi interface itself failed.
CURLcode drive(CURLM* multi, const TransferControl& control) {
    for (;;) {
        int running = 0;
        if (curl().multi_perform(multi, &running) != CURLM_OK)
            return CURLE_FAILED_INIT;
        if (running == 0)
            break;
        if (control.cancel.load())
            return CURLE_ABORTED_BY_CALLBACK;
        if (curl().multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr) != CURLM_OK)
            return CURLE_FAILED_INIT;
    }
    int queued = 0;
    while (CURLMsg* message = curl().multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE)
            return message->data.result;
    }
    return CURLE_FAILED_INIT;
}

long responseStatus(CURL* easy) {
    long status = 0;
    if (curl().easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK)
        return 0;
    return status;
}

// The failure rules in one place.
TransferError classify(CURLcode result, long status, TransferError stoppedBy) {
    switch (result) {
    case CURLE_OK:
        return status >= 200 && status < 300 ? TransferError::None : TransferError::HttpStatus;
    case CURLE_HTTP_RETURNED_ERROR:
        return TransferError::HttpStatus;
    case CURLE_WRITE_ERROR:
        return stoppedBy != TransferError::None ? stoppedBy : TransferError::Write;
    case CURLE_ABORTED_BY_CALLBACK:
        return TransferError::Cancelled;
    case CURLE_FILESIZE_EXCEEDED:
        return TransferError::TooLarge;
    case CURLE_OPERATION_TIMEDOUT:
        return TransferError::Stalled;
    case CURLE_OUT_OF_MEMORY:
        return TransferError::OutOfMemory;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
        return TransferError::Interrupted;
    default:
        return TransferError::Connection;
    }
}

} // namespace

TransferOutcome runHttpGet(const HttpGetRequest& request, BodyReceiver& receiver, TransferControl& control) {
    if (curlLibrary() == nullptr)
        return {TransferError::Connection, 0};
    Multi multi(curl().multi_init());
    Easy easy(curl().easy_init());
    HeaderList headers = noCacheHeaders();
    if (!multi || !easy || !headers)
        return {TransferError::OutOfMemory, 0};

    const QByteArray url = request.url.toUtf8();
    Destination destination;
    destination.easy = easy.get();
    destination.receiver = &receiver;
    destination.control = &control;
    destination.maxBytes = qMax<qint64>(0, request.maxBytes);
    if (!configure(easy.get(), request, headers.get(), destination, url))
        return {TransferError::Connection, 0};

    CURLcode result = CURLE_FAILED_INIT;
    {
        const Attachment attachment(multi.get(), easy.get());
        if (attachment.attached())
            result = drive(multi.get(), control);
    }
    const long status = responseStatus(easy.get());
    const TransferError error = classify(result, status, destination.stoppedBy);
    // A length refused before the first byte is still told, so the caller can say how much
    // room the file needs.
    curl_off_t announced = -1;
    if (error == TransferError::TooLarge && control.total.load() < 0 &&
        curl().easy_getinfo(easy.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) == CURLE_OK &&
        announced >= 0)
        control.total = static_cast<qint64>(announced);
    if (error == TransferError::None && control.received.load() == 0)
        return {TransferError::Empty, status};
    return {error, status};
}

} // namespace norvane
