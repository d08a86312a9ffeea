#include "platform/libraries/CurlLibrary.h"

#include "platform/libraries/LibraryFunction.h"

#include <QLibrary>

namespace norvane {

namespace {

using platform::resolveFunction;

// Never unloaded: libcurl keeps global state until the process ends.
const CurlLibrary* load() {
    static QLibrary library(QStringLiteral("curl"), 4);
    if (!library.load())
        return nullptr;
    static CurlLibrary curl;
    decltype(&curl_global_init) globalInit = nullptr;
    const bool complete = resolveFunction(library, "curl_global_init", globalInit) &&
                          resolveFunction(library, "curl_easy_init", curl.easy_init) &&
                          resolveFunction(library, "curl_easy_setopt", curl.easy_setopt) &&
                          resolveFunction(library, "curl_easy_getinfo", curl.easy_getinfo) &&
                          resolveFunction(library, "curl_easy_cleanup", curl.easy_cleanup) &&
                          resolveFunction(library, "curl_multi_init", curl.multi_init) &&
                          resolveFunction(library, "curl_multi_add_handle", curl.multi_add_handle) &&
                          resolveFunction(library, "curl_multi_remove_handle", curl.multi_remove_handle) &&
                          resolveFunction(library, "curl_multi_perform", curl.multi_perform) &&
                          resolveFunction(library, "curl_multi_poll", curl.multi_poll) &&
                          resolveFunction(library, "curl_multi_info_read", curl.multi_info_read) &&
                          resolveFunction(library, "curl_multi_cleanup", curl.multi_cleanup) &&
                          resolveFunction(library, "curl_slist_append", curl.slist_append) &&
                          resolveFunction(library, "curl_slist_free_all", curl.slist_free_all);
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
