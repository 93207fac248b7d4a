#pragma once
// The program's resources (bitmaps, cursors, the icon, dialog layouts) are files under resources/,
// embedded into the binaries at build time by km_embed_resources and found here by kind and number.
#include <cstddef>

enum class ResourceKind { bitmap, cursor, icon, dialog, data };

struct EmbeddedResource {
  ResourceKind kind;
  int number;
  const unsigned char* bytes;
  unsigned long size;
};

struct ResourceBytes {
  const unsigned char* bytes = nullptr;
  size_t size = 0;
  explicit operator bool() const { return bytes != nullptr; }
};

// The table generated from resources/CMakeLists.txt.
const EmbeddedResource* embeddedResources(size_t& count);

// The bytes of a resource, or empty when the program carries no such resource.
ResourceBytes findResource(ResourceKind kind, int number);
