#include "update/CurlLibrary.h"

#include <QLibrary>

namespace norvane {

namespace {

template <typename Function> bool resolve(QLibrary& library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

// Never unloaded: libcurl keeps global state until the process ends.
const CurlLibrary* load() {
    static QLibrary library(QStringLiteral("curl"), 4);
    if (!library.load())
        return nullptr;
    static CurlLibrary curl;
    decltype(&curl_global_init) globalInit = nullptr;
    const bool complete = resolve(library, "curl_global_init", globalInit) &&
                          resolve(library, "curl_easy_init", curl.easy_init) &&
                          resolve(library, "curl_easy_setopt", curl.easy_setopt) &&
                          resolve(library, "curl_easy_getinfo", curl.easy_getinfo) &&
                          resolve(library, "curl_easy_cleanup", curl.easy_cleanup) &&
                          resolve(library, "curl_multi_init", curl.multi_init) &&
                          resolve(library, "curl_multi_add_handle", curl.multi_add_handle) &&
                          resolve(library, "curl_multi_remove_handle", curl.multi_remove_handle) &&
                          resolve(library, "curl_multi_perform", curl.multi_perform) &&
                          resolve(library, "curl_multi_poll", curl.multi_poll) &&
                          resolve(library, "curl_multi_info_read", curl.multi_info_read) &&
                          resolve(library, "curl_multi_cleanup", curl.multi_cleanup) &&
                          resolve(library, "curl_slist_append", curl.slist_append) &&
                          resolve(library, "curl_slist_free_all", curl.slist_free_all);
    if (!complete || globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return nullptr;
    return &curl;
}

} // namespace

const CurlLibrary* curlLibrary() {
    static const CurlLibrary* const loaded = load();
    return loaded;
}

} // namespace norvane
