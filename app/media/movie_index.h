#pragma once
// Reading a movie's packet index (see packet_index.h) from its container.
#include <string>

#include "app/media/packet_index.h"

struct AVFormatContext;

// Every packet of stream `stream`, read from the container's current place to its end without
// decoding. True when the container ended cleanly (a damaged file stops short with false).
bool indexByReadingPackets(AVFormatContext* container, int stream, PacketIndex& index);

// For a QuickTime/MP4 movie whose sample tables list every sample: the same packets as
// indexByReadingPackets gives from the start, found without reading the samples' bytes (the container
// is opened once more over a reader that skips them), so that a movie of any length is indexed in
// about the time its header takes to read. False, with `index` left empty, for any other movie or when
// the packets handed out do not match the tables (fragments, damage); then read the packets.
bool indexBySampleTables(const std::string& path, int stream, PacketIndex& index);
