#pragma once
// libcurl's calls the mail transport makes, through the library loaded at
// the first mail rather than at the program's start: libcurl brings some
// thirty libraries of its own (TLS, Kerberos, LDAP, HTTP/2), whose loading
// would add to every start of the station while a mail goes out seldom.

#include <curl/curl.h>

namespace korv {

struct CurlCalls {
  decltype(&::curl_global_init) global_init;
  decltype(&::curl_easy_init) easy_init;
  decltype(&::curl_easy_cleanup) easy_cleanup;
  decltype(&::curl_easy_setopt) easy_setopt;
  decltype(&::curl_easy_perform) easy_perform;
  decltype(&::curl_easy_strerror) easy_strerror;
  decltype(&::curl_mime_init) mime_init;
  decltype(&::curl_mime_free) mime_free;
  decltype(&::curl_mime_addpart) mime_addpart;
  decltype(&::curl_mime_data) mime_data;
  decltype(&::curl_mime_type) mime_type;
  decltype(&::curl_mime_filedata) mime_filedata;
  decltype(&::curl_mime_filename) mime_filename;
  decltype(&::curl_mime_encoder) mime_encoder;
  decltype(&::curl_slist_append) slist_append;
  decltype(&::curl_slist_free_all) slist_free_all;
};

// The calls, libcurl loaded and set up once for the program. Raises 57
// ("Mail not sent: ...") when it cannot be.
const CurlCalls& Curl();

}  // namespace korv
