#pragma once
// Where the catalogue server is: "http://" + host + ":10991/tuning", the host
// chosen at build time (QV_CATALOGUE_HOST, default localhost). The
// environment variable QV_CATALOGUE_URL, when set and not empty, replaces
// that base (tests point it at a local server on a free port).
#include <string>
#include <string_view>

std::string CatalogueBaseUrl();
// The base followed by a request path ("/api/...").
std::string CatalogueUrl(std::string_view path);
