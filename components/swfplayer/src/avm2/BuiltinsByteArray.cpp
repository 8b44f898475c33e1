// flash.utils.ByteArray: numbers and text read and written at a position,
// and zlib compression.

#include "avm1/Utf16Text.h"
#include "avm2/Amf.h"
#include "avm2/ByteArrayObject.h"
#include "avm2/Native.h"
#include "swf/Limits.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstring>
#include <zlib.h>

namespace vidorama::swf::avm2 {

namespace {

using avm1::FromUtf16;
using avm1::ToUtf16;

Object* AllocateByteArray(Vm& vm, ClassObject* cls) {
    auto* array = vm.make<ByteArrayObject>(Object::Kind::ByteArray, cls, &cls->instanceTraits,
                                           cls->prototype);
    array->objectEncoding = vm.defaultObjectEncoding;
    return array;
}

ByteArrayObject* AsByteArray(const Value& v) {
    if (v.isObject() && v.object->kind() == Object::Kind::ByteArray)
        return static_cast<ByteArrayObject*>(v.object);
    return nullptr;
}

ByteArrayObject* This(Vm& vm, const Value& self) {
    ByteArrayObject* array = AsByteArray(self);
    if (!array)
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(self), "ByteArray"));
    return array;
}

// String parameters refuse null (and undefined, which they receive as null).
std::string TextParam(Vm& vm, const Value& v, const char* name) {
    if (v.isNullish())
        vm.throwError("TypeError", 2007, ErrorMessage(2007, name));
    return vm.toString(v);
}

void CheckSize(Vm& vm, std::size_t bytes) {
    if (bytes > Limits::kMaxScriptByteArrayBytes)
        vm.throwError("MemoryError", 1000, ErrorMessage(1000));
}

// Writes at the position, growing the array as needed.
void Write(Vm& vm, ByteArrayObject& array, const std::uint8_t* data, std::size_t count) {
    CheckSize(vm, array.position + count);
    if (array.position + count > array.bytes.size())
        array.bytes.resize(array.position + count);
    if (count)
        std::memcpy(array.bytes.data() + array.position, data, count);
    array.position += count;
}

// Reads from the position; an EOFError when fewer bytes are left.
const std::uint8_t* Read(Vm& vm, ByteArrayObject& array, std::size_t count) {
    if (array.position > array.bytes.size() || array.bytes.size() - array.position < count)
        vm.throwError("EOFError", 2030, ErrorMessage(2030));
    const std::uint8_t* data = array.bytes.data() + array.position;
    array.position += count;
    return data;
}

template <typename T> void WriteNumber(Vm& vm, ByteArrayObject& array, T value) {
    std::uint8_t raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    if (array.littleEndian != (std::endian::native == std::endian::little))
        std::reverse(raw, raw + sizeof(T));
    Write(vm, array, raw, sizeof(T));
}

template <typename T> T ReadNumber(Vm& vm, ByteArrayObject& array) {
    std::uint8_t raw[sizeof(T)];
    std::memcpy(raw, Read(vm, array, sizeof(T)), sizeof(T));
    if (array.littleEndian != (std::endian::native == std::endian::little))
        std::reverse(raw, raw + sizeof(T));
    T value;
    std::memcpy(&value, raw, sizeof(T));
    return value;
}

// Text from bytes: a byte-order mark chooses the encoding, and the text
// ends at its first NUL, as Flash's readers do.
std::string Decode(const std::uint8_t* data, std::size_t count, const std::string& charset,
                   bool stopAtNul) {
    std::string lower;
    for (char c : charset)
        lower += char(std::tolower(static_cast<unsigned char>(c)));
    bool utf16le = lower == "utf-16le" || lower == "unicode" || lower == "utf-16";
    bool utf16be = lower == "utf-16be" || lower == "unicodefffe";
    if (utf16le || utf16be) {
        std::u16string units;
        for (std::size_t i = 0; i + 1 < count; i += 2) {
            char16_t unit = utf16le ? char16_t(data[i] | data[i + 1] << 8)
                                    : char16_t(data[i] << 8 | data[i + 1]);
            if (unit == 0 && stopAtNul)
                break;
            units += unit;
        }
        return FromUtf16(units);
    }
    if (count >= 3 && data[0] == 0xef && data[1] == 0xbb && data[2] == 0xbf) {
        data += 3;
        count -= 3;
    }
    std::size_t length = count;
    if (stopAtNul)
        length = std::size_t(std::find(data, data + count, 0) - data);
    bool latin1 = lower == "iso-8859-1" || lower == "latin1" || lower == "us-ascii" ||
                  lower == "windows-1252";
    if (latin1) {
        std::u16string units(data, data + length);
        return FromUtf16(units);
    }
    return FromUtf16(ToUtf16(std::string_view(reinterpret_cast<const char*>(data), length)));
}

std::string Encode(const std::string& text, const std::string& charset) {
    std::string lower;
    for (char c : charset)
        lower += char(std::tolower(static_cast<unsigned char>(c)));
    bool utf16le = lower == "utf-16le" || lower == "unicode" || lower == "utf-16";
    bool utf16be = lower == "utf-16be" || lower == "unicodefffe";
    if (!utf16le && !utf16be)
        return text;
    std::string out;
    for (char16_t unit : ToUtf16(text)) {
        char lo = char(unit & 0xff), hi = char(unit >> 8);
        out += utf16le ? lo : hi;
        out += utf16le ? hi : lo;
    }
    return out;
}

void WriteText(Vm& vm, ByteArrayObject& array, const std::string& text) {
    Write(vm, array, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::size_t Count(Vm& vm, const Value& v) {
    return std::size_t(ToUint32(vm.toNumber(v)));
}

Value Length(Vm& vm, const Value& self, Args) {
    return Value(double(This(vm, self)->bytes.size()));
}
Value SetLength(Vm& vm, const Value& self, Args args) {
    ByteArrayObject* array = This(vm, self);
    std::size_t length = Count(vm, Arg(args, 0));
    CheckSize(vm, length);
    array->bytes.resize(length);
    array->position = std::min(array->position, length);
    return Value();
}
Value Position(Vm& vm, const Value& self, Args) {
    return Value(double(This(vm, self)->position));
}
Value SetPosition(Vm& vm, const Value& self, Args args) {
    This(vm, self)->position = Count(vm, Arg(args, 0));
    return Value();
}
Value BytesAvailable(Vm& vm, const Value& self, Args) {
    ByteArrayObject* array = This(vm, self);
    return Value(
        double(array->position < array->bytes.size() ? array->bytes.size() - array->position : 0));
}
Value Endian(Vm& vm, const Value& self, Args) {
    return Value(This(vm, self)->littleEndian ? "littleEndian" : "bigEndian");
}
Value SetEndian(Vm& vm, const Value& self, Args args) {
    std::string endian = TextParam(vm, Arg(args, 0), "type");
    if (endian != "littleEndian" && endian != "bigEndian")
        vm.throwError("ArgumentError", 2008, ErrorMessage(2008, "endian"));
    This(vm, self)->littleEndian = endian == "littleEndian";
    return Value();
}
Value ObjectEncoding(Vm& vm, const Value& self, Args) {
    return Value(This(vm, self)->objectEncoding);
}

// AMF versions are 0 and 3; anything else is refused as Flash does.
int EncodingParam(Vm& vm, const Value& v) {
    std::int32_t version = ToInt32(vm.toNumber(v));
    if (version != 0 && version != 3)
        vm.throwError("ArgumentError", 2008, ErrorMessage(2008, "objectEncoding"));
    return version;
}

Value SetObjectEncoding(Vm& vm, const Value& self, Args args) {
    This(vm, self)->objectEncoding = EncodingParam(vm, Arg(args, 0));
    return Value();
}

Value DefaultObjectEncoding(Vm& vm, const Value&, Args) {
    return Value(vm.defaultObjectEncoding);
}

Value SetDefaultObjectEncoding(Vm& vm, const Value&, Args args) {
    vm.defaultObjectEncoding = EncodingParam(vm, Arg(args, 0));
    return Value();
}

Value WriteObject(Vm& vm, const Value& self, Args args) {
    ByteArrayObject* array = This(vm, self);
    std::vector<std::uint8_t> encoded;
    AmfWrite(vm, encoded, Arg(args, 0), array->objectEncoding);
    Write(vm, *array, encoded.data(), encoded.size());
    return Value();
}

Value RegisterClassAlias(Vm& vm, const Value&, Args args) {
    std::string alias = TextParam(vm, Arg(args, 0), "aliasName");
    Value cls = Arg(args, 1);
    if (!cls.isObject() || cls.object->kind() != Object::Kind::Class)
        vm.throwError("TypeError", 2007, ErrorMessage(2007, "classObject"));
    vm.classAliases[alias] = static_cast<ClassObject*>(cls.object);
    return Value();
}

Value GetClassByAlias(Vm& vm, const Value&, Args args) {
    std::string alias = TextParam(vm, Arg(args, 0), "aliasName");
    auto found = vm.classAliases.find(alias);
    if (found == vm.classAliases.end())
        vm.throwError("ReferenceError", 1014, ErrorMessage(1014, alias));
    return Value(static_cast<Object*>(found->second));
}

Value ReadObject(Vm& vm, const Value& self, Args) {
    ByteArrayObject* array = This(vm, self);
    std::size_t pos = array->position;
    Value value = AmfRead(vm, array->bytes, pos, array->objectEncoding);
    array->position = pos;
    return value;
}

Value WriteByte(Vm& vm, const Value& self, Args args) {
    WriteNumber(vm, *This(vm, self), std::uint8_t(ToInt32(vm.toNumber(Arg(args, 0)))));
    return Value();
}
Value WriteBoolean(Vm& vm, const Value& self, Args args) {
    WriteNumber(vm, *This(vm, self), std::uint8_t(ToBoolean(Arg(args, 0)) ? 1 : 0));
    return Value();
}
Value WriteShort(Vm& vm, const Value& self, Args args) {
    WriteNumber(vm, *This(vm, self), std::uint16_t(ToInt32(vm.toNumber(Arg(args, 0)))));
    return Value();
}
Value WriteInt(Vm& vm, const Value& self, Args args) {
    WriteNumber(vm, *This(vm, self), std::uint32_t(ToInt32(vm.toNumber(Arg(args, 0)))));
    return Value();
}
Value WriteUnsignedInt(Vm& vm, const Value& self, Args args) {
    WriteNumber(vm, *This(vm, self), ToUint32(vm.toNumber(Arg(args, 0))));
    return Value();
}
Value WriteFloat(Vm& vm, const Value& self, Args args) {
    WriteNumber(vm, *This(vm, self), float(vm.toNumber(Arg(args, 0))));
    return Value();
}
Value WriteDouble(Vm& vm, const Value& self, Args args) {
    WriteNumber(vm, *This(vm, self), vm.toNumber(Arg(args, 0)));
    return Value();
}
Value WriteUTFBytes(Vm& vm, const Value& self, Args args) {
    WriteText(vm, *This(vm, self), TextParam(vm, Arg(args, 0), "value"));
    return Value();
}
Value WriteUTF(Vm& vm, const Value& self, Args args) {
    ByteArrayObject* array = This(vm, self);
    std::string text = TextParam(vm, Arg(args, 0), "value");
    if (text.size() > 0xffff)
        vm.throwError("RangeError", 2006, ErrorMessage(2006));
    WriteNumber(vm, *array, std::uint16_t(text.size()));
    WriteText(vm, *array, text);
    return Value();
}
Value WriteMultiByte(Vm& vm, const Value& self, Args args) {
    std::string text = TextParam(vm, Arg(args, 0), "value");
    WriteText(vm, *This(vm, self), Encode(text, TextParam(vm, Arg(args, 1), "charSet")));
    return Value();
}

Value ReadByte(Vm& vm, const Value& self, Args) {
    return Value(int(ReadNumber<std::int8_t>(vm, *This(vm, self))));
}
Value ReadUnsignedByte(Vm& vm, const Value& self, Args) {
    return Value(int(ReadNumber<std::uint8_t>(vm, *This(vm, self))));
}
Value ReadBoolean(Vm& vm, const Value& self, Args) {
    return Value(ReadNumber<std::uint8_t>(vm, *This(vm, self)) != 0);
}
Value ReadShort(Vm& vm, const Value& self, Args) {
    return Value(int(ReadNumber<std::int16_t>(vm, *This(vm, self))));
}
Value ReadUnsignedShort(Vm& vm, const Value& self, Args) {
    return Value(int(ReadNumber<std::uint16_t>(vm, *This(vm, self))));
}
Value ReadInt(Vm& vm, const Value& self, Args) {
    return Value(int(ReadNumber<std::int32_t>(vm, *This(vm, self))));
}
Value ReadUnsignedInt(Vm& vm, const Value& self, Args) {
    return Value(ReadNumber<std::uint32_t>(vm, *This(vm, self)));
}
Value ReadFloat(Vm& vm, const Value& self, Args) {
    return Value(double(ReadNumber<float>(vm, *This(vm, self))));
}
Value ReadDouble(Vm& vm, const Value& self, Args) {
    return Value(ReadNumber<double>(vm, *This(vm, self)));
}
Value ReadUTFBytes(Vm& vm, const Value& self, Args args) {
    std::size_t count = Count(vm, Arg(args, 0));
    return Value(Decode(Read(vm, *This(vm, self), count), count, "utf-8", true));
}
Value ReadUTF(Vm& vm, const Value& self, Args) {
    ByteArrayObject* array = This(vm, self);
    std::size_t count = ReadNumber<std::uint16_t>(vm, *array);
    return Value(Decode(Read(vm, *array, count), count, "utf-8", true));
}
Value ReadMultiByte(Vm& vm, const Value& self, Args args) {
    std::size_t count = Count(vm, Arg(args, 0));
    std::string charset = TextParam(vm, Arg(args, 1), "charSet");
    return Value(Decode(Read(vm, *This(vm, self), count), count, charset, true));
}

ByteArrayObject* BytesArg(Vm& vm, const Value& v) {
    ByteArrayObject* array = AsByteArray(v);
    if (!array)
        vm.throwError("TypeError", 2007, ErrorMessage(2007, "bytes"));
    return array;
}

Value WriteBytes(Vm& vm, const Value& self, Args args) {
    ByteArrayObject* array = This(vm, self);
    ByteArrayObject* from = BytesArg(vm, Arg(args, 0));
    std::size_t offset = Count(vm, Arg(args, 1));
    std::size_t count = Count(vm, Arg(args, 2));
    if (offset > from->bytes.size())
        vm.throwError("RangeError", 2006, ErrorMessage(2006));
    if (count == 0)
        count = from->bytes.size() - offset;
    if (count > from->bytes.size() - offset)
        vm.throwError("RangeError", 2006, ErrorMessage(2006));
    std::vector<std::uint8_t> copy(from->bytes.begin() + std::ptrdiff_t(offset),
                                   from->bytes.begin() + std::ptrdiff_t(offset + count));
    Write(vm, *array, copy.data(), copy.size());
    return Value();
}

Value ReadBytes(Vm& vm, const Value& self, Args args) {
    ByteArrayObject* array = This(vm, self);
    ByteArrayObject* into = BytesArg(vm, Arg(args, 0));
    std::size_t offset = Count(vm, Arg(args, 1));
    std::size_t count = Count(vm, Arg(args, 2));
    std::size_t available =
        array->position < array->bytes.size() ? array->bytes.size() - array->position : 0;
    if (count == 0)
        count = available;
    const std::uint8_t* from = Read(vm, *array, count);
    std::vector<std::uint8_t> copy(from, from + count);
    CheckSize(vm, offset + count);
    if (into->bytes.size() < offset + count)
        into->bytes.resize(offset + count);
    std::copy(copy.begin(), copy.end(), into->bytes.begin() + std::ptrdiff_t(offset));
    return Value();
}

Value ByteArrayToString(Vm& vm, const Value& self, Args) {
    ByteArrayObject* array = This(vm, self);
    const auto& bytes = array->bytes;
    std::string charset = "utf-8";
    std::size_t skip = 0;
    if (bytes.size() >= 2 && bytes[0] == 0xff && bytes[1] == 0xfe) {
        charset = "utf-16le";
        skip = 2;
    } else if (bytes.size() >= 2 && bytes[0] == 0xfe && bytes[1] == 0xff) {
        charset = "utf-16be";
        skip = 2;
    }
    return Value(Decode(bytes.data() + skip, bytes.size() - skip, charset, false));
}

Value Clear(Vm& vm, const Value& self, Args) {
    ByteArrayObject* array = This(vm, self);
    array->bytes.clear();
    array->position = 0;
    return Value();
}

// zlib's stream with a header ("zlib", the default) or the raw one
// ("deflate"); any other name is an IOError, as Flash has no other.
bool RawDeflate(Vm& vm, Args args) {
    if (args.empty())
        return false;
    std::string algorithm = TextParam(vm, args[0], "algorithm");
    if (algorithm != "zlib" && algorithm != "deflate")
        vm.throwError("IOError", 2058, ErrorMessage(2058));
    return algorithm == "deflate";
}

Value Compress(Vm& vm, const Value& self, Args args) {
    ByteArrayObject* array = This(vm, self);
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, RawDeflate(vm, args) ? -15 : 15, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        vm.throwError("MemoryError", 1000, ErrorMessage(1000));
    std::vector<std::uint8_t> out(deflateBound(&stream, uLong(array->bytes.size())));
    stream.next_in = array->bytes.data();
    stream.avail_in = uInt(array->bytes.size());
    stream.next_out = out.data();
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    array->bytes = std::move(out);
    array->position = array->bytes.size();
    return Value();
}

Value Uncompress(Vm& vm, const Value& self, Args args) {
    ByteArrayObject* array = This(vm, self);
    bool raw = RawDeflate(vm, args);
    // Nothing to inflate is no error.
    if (array->bytes.empty())
        return Value();
    z_stream stream{};
    if (inflateInit2(&stream, raw ? -15 : 15) != Z_OK)
        vm.throwError("MemoryError", 1000, ErrorMessage(1000));
    std::vector<std::uint8_t> out;
    std::uint8_t chunk[16384];
    stream.next_in = array->bytes.data();
    stream.avail_in = uInt(array->bytes.size());
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = chunk;
        stream.avail_out = sizeof chunk;
        status = inflate(&stream, Z_NO_FLUSH);
        out.insert(out.end(), chunk, chunk + (sizeof chunk - stream.avail_out));
        if (out.size() > Limits::kMaxScriptByteArrayBytes)
            status = Z_MEM_ERROR;
        if (status == Z_BUF_ERROR && stream.avail_in == 0)
            break;
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END)
        vm.throwError("IOError", 2058, ErrorMessage(2058));
    array->bytes = std::move(out);
    array->position = 0;
    return Value();
}

Value Deflate(Vm& vm, const Value& self, Args) {
    Value raw[] = {Value("deflate")};
    return Compress(vm, self, raw);
}

Value Inflate(Vm& vm, const Value& self, Args) {
    Value raw[] = {Value("deflate")};
    return Uncompress(vm, self, raw);
}

Value Nothing(Vm&, const Value&, Args) {
    return Value();
}

using Pair = std::pair<const char*, NativeFn>;

} // namespace

Value ByteAt(const ByteArrayObject& array, std::size_t index) {
    return index < array.bytes.size() ? Value(int(array.bytes[index])) : Value();
}

void SetByteAt(Vm& vm, ByteArrayObject& array, std::size_t index, const Value& value) {
    CheckSize(vm, index + 1);
    if (index >= array.bytes.size())
        array.bytes.resize(index + 1);
    array.bytes[index] = std::uint8_t(ToInt32(vm.toNumber(value)));
}

void InstallByteArray(Vm& vm) {
    ClassObject* cls =
        vm.defineClass("flash.utils", "ByteArray", vm.natives.object, AllocateByteArray, Nothing);
    vm.defineAccessor(cls, "length", Length, SetLength);
    vm.defineAccessor(cls, "position", Position, SetPosition);
    vm.defineAccessor(cls, "bytesAvailable", BytesAvailable, nullptr);
    vm.defineAccessor(cls, "endian", Endian, SetEndian);
    vm.defineAccessor(cls, "objectEncoding", ObjectEncoding, SetObjectEncoding);
    vm.defineAccessor(cls, "defaultObjectEncoding", DefaultObjectEncoding, SetDefaultObjectEncoding,
                      true);
    vm.defineMethod(cls, "writeObject", WriteObject);
    vm.defineMethod(cls, "readObject", ReadObject);
    ClassObject* encoding =
        vm.defineClass("flash.net", "ObjectEncoding", vm.natives.object, nullptr, Nothing);
    vm.defineConstant(encoding, "AMF0", Value(0));
    vm.defineConstant(encoding, "AMF3", Value(3));
    vm.defineConstant(encoding, "DEFAULT", Value(3));
    vm.defineGlobalFunction("flash.net", "registerClassAlias", RegisterClassAlias);
    vm.defineGlobalFunction("flash.net", "getClassByAlias", GetClassByAlias);
    const Pair methods[] = {{"writeByte", WriteByte},
                            {"writeBoolean", WriteBoolean},
                            {"writeShort", WriteShort},
                            {"writeInt", WriteInt},
                            {"writeUnsignedInt", WriteUnsignedInt},
                            {"writeFloat", WriteFloat},
                            {"writeDouble", WriteDouble},
                            {"writeUTF", WriteUTF},
                            {"writeUTFBytes", WriteUTFBytes},
                            {"writeMultiByte", WriteMultiByte},
                            {"writeBytes", WriteBytes},
                            {"readByte", ReadByte},
                            {"readUnsignedByte", ReadUnsignedByte},
                            {"readBoolean", ReadBoolean},
                            {"readShort", ReadShort},
                            {"readUnsignedShort", ReadUnsignedShort},
                            {"readInt", ReadInt},
                            {"readUnsignedInt", ReadUnsignedInt},
                            {"readFloat", ReadFloat},
                            {"readDouble", ReadDouble},
                            {"readUTF", ReadUTF},
                            {"readUTFBytes", ReadUTFBytes},
                            {"readMultiByte", ReadMultiByte},
                            {"readBytes", ReadBytes},
                            {"toString", ByteArrayToString},
                            {"clear", Clear},
                            {"compress", Compress},
                            {"uncompress", Uncompress}};
    for (const auto& [name, fn] : methods)
        vm.defineMethod(cls, name, fn);
    vm.defineMethod(cls, "deflate", Deflate);
    vm.defineMethod(cls, "inflate", Inflate);
}

} // namespace vidorama::swf::avm2
