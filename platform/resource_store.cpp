#include "platform/resource_store.h"

ResourceBytes findResource(ResourceKind kind, int number) {
  size_t count = 0;
  const EmbeddedResource* table = embeddedResources(count);
  for (size_t i = 0; i < count; ++i)
    if (table[i].kind == kind && table[i].number == number) return {table[i].bytes, table[i].size};
  return {};
}
