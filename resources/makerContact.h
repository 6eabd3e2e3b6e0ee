// The maker's addresses. The contact links open these, and the link labels of
// frmConfig.layout show the same texts (a unit test holds the two together).
#pragma once

constexpr const char* kMakerMail = "info@varnel.example";
// Web sites: host names only, no scheme, no path.
constexpr const char* kMakerSite = "www.varnel.example";
constexpr const char* kMakerSite2 = "savers.varnel.example";
// Pages on the second site: its host name, "/", a page path.
constexpr const char* kProductPage = "savers.varnel.example/kestrane.html";
constexpr const char* kOrderPage = "savers.varnel.example/order.html";
