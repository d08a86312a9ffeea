#pragma once
// libcurl, loaded on the first transfer instead of with the program. Linked directly, it
// and the libraries it brings (TLS, Kerberos, LDAP, SSH, IDN, HTTP/2) are mapped and
// initialised before main, which costs the window's start-up more than building the window
// itself; the first transfer comes seconds later, after the window is on screen.

#include <curl/curl.h>

namespace norvane {

// The functions of libcurl a transfer calls, typed by libcurl's own declarations.
struct CurlLibrary {
    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&curl_multi_init) multi_init = nullptr;
    decltype(&curl_multi_add_handle) multi_add_handle = nullptr;
    decltype(&curl_multi_remove_handle) multi_remove_handle = nullptr;
    decltype(&curl_multi_perform) multi_perform = nullptr;
    decltype(&curl_multi_poll) multi_poll = nullptr;
    decltype(&curl_multi_info_read) multi_info_read = nullptr;
    decltype(&curl_multi_cleanup) multi_cleanup = nullptr;
    decltype(&curl_slist_append) slist_append = nullptr;
    decltype(&curl_slist_free_all) slist_free_all = nullptr;
};

// libcurl loaded and globally initialised, once per process and safe from any thread;
// null when the library cannot be loaded or lacks one of the functions.
const CurlLibrary* curlLibrary();

} // namespace norvane
