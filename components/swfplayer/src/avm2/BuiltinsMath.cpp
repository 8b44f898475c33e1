// Math, whose random numbers follow a fixed seed so conversions repeat.

#include "avm2/Native.h"

#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

double Num(Vm& vm, Args args, std::size_t i) {
    return i < args.size() ? vm.toNumber(args[i]) : std::nan("");
}

template <double (*F)(double)> Value Unary(Vm& vm, const Value&, Args args) {
    return Value(F(Num(vm, args, 0)));
}

double Round(double x) {
    return std::floor(x + 0.5);
}

Value Atan2(Vm& vm, const Value&, Args args) {
    return Value(std::atan2(Num(vm, args, 0), Num(vm, args, 1)));
}
Value Pow(Vm& vm, const Value&, Args args) {
    return Value(std::pow(Num(vm, args, 0), Num(vm, args, 1)));
}

Value Extreme(Vm& vm, Args args, bool max) {
    double best = max ? -INFINITY : INFINITY;
    for (const Value& v : args) {
        double n = vm.toNumber(v);
        if (std::isnan(n))
            return Value(n);
        if (max ? (n > best || (n == 0 && best == 0 && !std::signbit(n)))
                : (n < best || (n == 0 && best == 0 && std::signbit(n))))
            best = n;
    }
    return Value(best);
}

Value Max(Vm& vm, const Value&, Args args) {
    return Extreme(vm, args, true);
}
Value Min(Vm& vm, const Value&, Args args) {
    return Extreme(vm, args, false);
}

Value Random(Vm&, const Value&, Args) {
    static thread_local std::uint64_t state = 0x2545f4914f6cdd1dULL;
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return Value(double(state >> 11) / 9007199254740992.0);
}

} // namespace

void InstallMath(Vm& vm) {
    ClassObject* math = vm.defineClass("", "Math", vm.natives.object, nullptr, nullptr);
    const std::pair<const char*, NativeFn> functions[] = {
        {"abs", Unary<std::fabs>},
        {"acos", Unary<std::acos>},
        {"asin", Unary<std::asin>},
        {"atan", Unary<std::atan>},
        {"ceil", Unary<std::ceil>},
        {"cos", Unary<std::cos>},
        {"exp", Unary<std::exp>},
        {"floor", Unary<std::floor>},
        {"log", Unary<std::log>},
        {"round", Unary<Round>},
        {"sin", Unary<std::sin>},
        {"sqrt", Unary<std::sqrt>},
        {"tan", Unary<std::tan>},
        {"atan2", Atan2},
        {"pow", Pow},
        {"max", Max},
        {"min", Min},
        {"random", Random},
    };
    for (const auto& [name, fn] : functions)
        vm.defineMethod(math, name, fn, true);
    const std::pair<const char*, double> constants[] = {
        {"E", M_E},         {"LN10", M_LN10}, {"LN2", M_LN2},         {"LOG10E", M_LOG10E},
        {"LOG2E", M_LOG2E}, {"PI", M_PI},     {"SQRT1_2", M_SQRT1_2}, {"SQRT2", M_SQRT2}};
    for (const auto& [name, value] : constants)
        vm.defineConstant(math, name, Value(value));
}

} // namespace vidorama::swf::avm2
