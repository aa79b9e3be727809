// The message formatter against the C library's snprintf, on generated formats
// of up to three arguments. The formatter declines only what is not generated
// here (%n, positional arguments, long double, unknown conversions), so it
// must format every one of these, exactly as snprintf does.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Console/PrintfFormat.h"
#include "FuzzCheck.h"

// The formats are generated: that they are not literals is the point.
#pragma clang diagnostic ignored "-Wformat-security"
#pragma clang diagnostic ignored "-Wformat-nonliteral"

namespace {

enum class Type { Int, LongLong, Unsigned, UnsignedLongLong, Double, String, Pointer };

struct Argument {
    explicit Argument(Type t, std::int64_t value = 0) : type(t), integer(value) {}
    Type type;
    std::int64_t integer;
    double real = 0;
    std::string text;
};

const std::size_t kMostArguments = 3;

struct Call {
    std::string format;
    std::vector<Argument> arguments;
};

// One conversion with its flags, width, precision and length, and the
// arguments it takes. False when they would not fit the argument budget.
bool AddDirective(FuzzedDataProvider& in, Call& call)
{
    static const char kConversions[] = "diuoxXcsfFeEgGaAp%";
    static const char* const kLengths[] = {"", "hh", "h", "l", "ll", "z", "j", "t"};
    const char conversion = kConversions[in.ConsumeIntegralInRange<std::size_t>(0, sizeof kConversions - 2)];
    if (conversion == '%') {
        call.format += "%%";
        return true;
    }
    std::string directive = "%";
    for (char flag : {'-', '+', ' ', '#', '0'})
        if (in.ConsumeBool())
            directive += flag;
    std::vector<Argument> arguments;
    switch (in.ConsumeIntegralInRange(0, 2)) {
    case 1:
        directive += std::to_string(in.ConsumeIntegralInRange(0, 40));
        break;
    case 2:
        directive += '*';
        arguments.push_back(Argument(Type::Int, in.ConsumeIntegralInRange(-40, 40)));
        break;
    }
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 1:
        directive += '.';
        break;
    case 2:
        directive += '.' + std::to_string(in.ConsumeIntegralInRange(0, 40));
        break;
    case 3:
        directive += ".*";
        arguments.push_back(Argument(Type::Int, in.ConsumeIntegralInRange(-5, 40)));
        break;
    }
    Argument value(Type::Int);
    const char* length = "";
    switch (conversion) {
    case 'd':
    case 'i':
    case 'u':
    case 'o':
    case 'x':
    case 'X': {
        length = kLengths[in.ConsumeIntegralInRange(0, 7)];
        const bool wide = length[0] != 0 && length[0] != 'h';
        const bool isSigned = conversion == 'd' || conversion == 'i';
        value.type = isSigned ? (wide ? Type::LongLong : Type::Int) : (wide ? Type::UnsignedLongLong : Type::Unsigned);
        value.integer = in.ConsumeIntegral<std::int64_t>();
        break;
    }
    case 'c':
        value.integer = in.ConsumeIntegralInRange(1, 255);
        break;
    case 's':
        value.type = Type::String;
        value.text = in.ConsumeRandomLengthString(64);
        value.text.resize(std::strlen(value.text.c_str()));
        break;
    case 'p':
        value.type = Type::Pointer;
        value.integer = in.ConsumeIntegral<std::int64_t>();
        break;
    default:
        value.type = Type::Double;
        if (in.ConsumeBool())
            length = "l";
        switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0: {  // any bits: infinities, NaNs and subnormals too
            const std::uint64_t bits = in.ConsumeIntegral<std::uint64_t>();
            std::memcpy(&value.real, &bits, sizeof bits);
            break;
        }
        case 1:
            value.real = in.ConsumeFloatingPoint<double>();
            break;
        default:  // values near whole numbers and halves, where rounding is decided
            value.real = static_cast<double>(in.ConsumeIntegralInRange(-100000, 100000)) / 64;
        }
    }
    arguments.push_back(value);
    if (call.arguments.size() + arguments.size() > kMostArguments)
        return false;
    call.format += directive + length + conversion;
    call.arguments.insert(call.arguments.end(), arguments.begin(), arguments.end());
    return true;
}

bool Format(Vexir::TextSink& sink, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const bool formatted = Vexir::FormatPrintf(sink, format, args);
    va_end(args);
    return formatted;
}

template <typename... Values>
void Compare(const Call& call, Values... values)
{
    const char* format = call.format.c_str();
    const int length = std::snprintf(nullptr, 0, format, values...);
    if (length < 0)
        return;
    std::string expected(static_cast<std::size_t>(length), '\0');
    std::snprintf(&expected[0], expected.size() + 1, format, values...);

    char buffer[32];
    Vexir::TextSink sink(buffer, sizeof buffer);
    FUZZ_CHECK(Format(sink, format, values...), "format \"%s\" declined", format);
    const char* text = sink.Finish();
    FUZZ_CHECK(expected == text, "format \"%s\": snprintf gives \"%s\", the formatter \"%s\"", format,
               expected.c_str(), text);
}

// Calls Compare with the arguments in their C types, one more each level.
template <std::size_t Depth, typename... Values>
void Dispatch(const Call& call, Values... values)
{
    if (sizeof...(Values) == call.arguments.size()) {
        Compare(call, values...);
        return;
    }
    if constexpr (Depth < kMostArguments) {
        const Argument& next = call.arguments[sizeof...(Values)];
        switch (next.type) {
        case Type::Int:
            return Dispatch<Depth + 1>(call, values..., static_cast<int>(next.integer));
        case Type::LongLong:
            return Dispatch<Depth + 1>(call, values..., static_cast<long long>(next.integer));
        case Type::Unsigned:
            return Dispatch<Depth + 1>(call, values..., static_cast<unsigned>(next.integer));
        case Type::UnsignedLongLong:
            return Dispatch<Depth + 1>(call, values..., static_cast<unsigned long long>(next.integer));
        case Type::Double:
            return Dispatch<Depth + 1>(call, values..., next.real);
        case Type::String:
            return Dispatch<Depth + 1>(call, values..., next.text.c_str());
        case Type::Pointer:
            return Dispatch<Depth + 1>(call, values...,
                                       reinterpret_cast<const void*>(static_cast<std::uintptr_t>(next.integer)));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    Call call;
    while (in.remaining_bytes() > 0 && call.format.size() < 200) {
        if (in.ConsumeIntegralInRange(0, 3) == 0) {
            std::string literal = in.ConsumeRandomLengthString(8);
            for (char& c : literal)
                if (c == '%' || c == '\0')
                    c = '_';
            call.format += literal;
        } else if (!AddDirective(in, call)) {
            break;
        }
    }
    Dispatch<0>(call);
    return 0;
}
