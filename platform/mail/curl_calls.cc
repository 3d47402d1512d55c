#include "platform/mail/curl_calls.h"

#include <string>

#include "common/runtime_error.h"
#include "platform/host/loaded_library.h"

namespace korv {
namespace {

struct LoadedCurl {
  LoadedLibrary library{"libcurl.so.4"};
  CurlCalls calls{};
  std::string problem;

  LoadedCurl() {
    LoadedLibrary& l = library;
    l.Bind(calls.global_init, "curl_global_init");
    l.Bind(calls.easy_init, "curl_easy_init");
    l.Bind(calls.easy_cleanup, "curl_easy_cleanup");
    l.Bind(calls.easy_setopt, "curl_easy_setopt");
    l.Bind(calls.easy_perform, "curl_easy_perform");
    l.Bind(calls.easy_strerror, "curl_easy_strerror");
    l.Bind(calls.mime_init, "curl_mime_init");
    l.Bind(calls.mime_free, "curl_mime_free");
    l.Bind(calls.mime_addpart, "curl_mime_addpart");
    l.Bind(calls.mime_data, "curl_mime_data");
    l.Bind(calls.mime_type, "curl_mime_type");
    l.Bind(calls.mime_filedata, "curl_mime_filedata");
    l.Bind(calls.mime_filename, "curl_mime_filename");
    l.Bind(calls.mime_encoder, "curl_mime_encoder");
    l.Bind(calls.slist_append, "curl_slist_append");
    l.Bind(calls.slist_free_all, "curl_slist_free_all");
    problem = l.problem();
    // curl_global_init is not thread-safe: it runs here, once, under the
    // function-local static's guard.
    if (problem.empty() && calls.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
      problem = "libcurl could not be set up";
  }
};

}  // namespace

const CurlCalls& Curl() {
  static const LoadedCurl loaded;
  if (!loaded.problem.empty())
    throw RuntimeError(kErrDeviceIO,
                       "Mail not sent: the mail transport did not start: " + loaded.problem);
  return loaded.calls;
}

}  // namespace korv
