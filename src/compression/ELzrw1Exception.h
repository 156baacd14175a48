#pragma once
// The one error type of the compressor, and every text it carries.

#include <stdexcept>
#include <string>

namespace pelvo {

class ELzrw1Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace lzrw1::text {

inline std::string noBuffers() {
    return "Lzrw1 (de)compression : Failed to get memory for I/O buffers !";
}
inline std::string noHashTable() {
    return "LZRW1KH : no memory for HASH table";
}
inline std::string noSize(const std::string& in) {
    return "Lzrw1 compression : Failed to obtain the size of : " + in;
}
inline std::string openInput(const std::string& in) {
    return "Lzrw1 (de)compression : Failed to open input file : " + in;
}
inline std::string openOutput(const std::string& out) {
    return "Lzrw1 (de)compression : Failed to open output file : " + out;
}
inline std::string readError(const std::string& in) {
    return "Lzrw1 : Error reading from input file : " + in;
}
inline std::string readErrorCompressing(const std::string& in) {
    return "Lzrw1 : Error reading from input file : " + in + " (LZRW1/KH)";
}
inline std::string writeError(const std::string& out) {
    return "Lzrw1 : Error writing to output file : " + out;
}
inline std::string noHeader(const std::string& in) {
    return in + " : Lzrw1 decompression : this file has no valid header !";
}
inline std::string sizeMismatch() {
    return "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
}
// A block whose items point outside the data, overrun the block or run past the body.
inline std::string corruptBlock(const std::string& in) {
    return in + " : Lzrw1 decompression : this file has a corrupt block !";
}
// Only the LZRW1/KH method is built; the other modes refuse before touching any file.
inline std::string modeUnavailable() {
    return "Lzrw1 compression : only the Fast method (LZRW1/KH) is available !";
}

} // namespace lzrw1::text
} // namespace pelvo
