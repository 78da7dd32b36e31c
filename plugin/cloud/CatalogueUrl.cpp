#include "plugin/cloud/CatalogueUrl.h"

#include <cstdlib>

#ifndef QV_CATALOGUE_HOST
#define QV_CATALOGUE_HOST "localhost"
#endif

std::string CatalogueBaseUrl() {
    const char* configured = std::getenv("QV_CATALOGUE_URL");
    if (configured && *configured) return configured;
    return std::string("http://") + QV_CATALOGUE_HOST + ":10991/tuning";
}

std::string CatalogueUrl(std::string_view path) { return CatalogueBaseUrl() + std::string(path); }
