// function_binding.h: from a function's declared type to a call made with typed text.
//
// Each parameter type that KORVInventory.h uses has a Binding: where its value comes from
// (a typed argument, the opened drawing, or an output container), its kind as --help and
// list-functions show it, how it is bound before the call and how it is reported after.
// BoundSignature walks a function type's parameters in order, so a table row needs only the
// function's name and its argument names, and a header parameter of a type with no Binding
// does not compile. Where a type alone does not say what a parameter is (a database to read
// into rather than the opened drawing, a path rather than the drawing's name, an output flag
// with a name of its own), the row names a binding for each parameter instead.
#pragma once

#include <dbents.h>  // before dbobjptr.h, which names AcDbBlockReference
#include <dbobjptr.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "KORVInventory.h"
#include "arguments.h"
#include "describe.h"
#include "function_table.h"
#include "text.h"
#include "tool_error.h"

namespace korv_tool {

// The typed arguments of one call, taken in order. Each is echoed into the call's record;
// a parser's std::invalid_argument becomes a ToolError naming the function and argument.
class ArgumentCursor {
public:
    ArgumentCursor(const std::string& function, const std::vector<std::string>& names,
                   const std::vector<std::string>& texts, Json& echo)
        : function_(function), names_(names), texts_(texts), echo_(echo) {}

    template <class Parser>
    auto next(Parser parse) {
        const std::string& name = names_.at(index_);
        const std::string& text = texts_.at(index_++);
        echo_[name] = text;
        try {
            return parse(text);
        } catch (const std::invalid_argument& bad) {
            throw ToolError(ExitCode::kArgument, function_ + ": " + name + ": " + bad.what());
        }
    }
    void echo(const std::string& name, const Json& value) { echo_[name] = value; }

private:
    const std::string& function_;
    const std::vector<std::string>& names_;
    const std::vector<std::string>& texts_;
    Json& echo_;
    size_t index_ = 0;
};

template <class T>
struct Binding;  // one specialisation per parameter type of KORVInventory.h

// ----- typed arguments ---------------------------------------------------------------------

template <class Value, Value (*Parse)(const std::string&)>
struct ParsedBinding {
    static constexpr ParameterSource source = ParameterSource::kArgument;
    Value value{};
    void bind(const CallContext&, ArgumentCursor& cursor) { value = cursor.next(Parse); }
    const Value& get() const { return value; }
    void report(Json&) const {}
};

template <>
struct Binding<const AcGePoint3d&> : ParsedBinding<AcGePoint3d, parse_point> {
    static constexpr const char* kind = "point";
};
template <>
struct Binding<const AcGeVector3d&> : ParsedBinding<AcGeVector3d, parse_vector> {
    static constexpr const char* kind = "vector";
};
template <>
struct Binding<bool> : ParsedBinding<bool, parse_flag> {
    static constexpr const char* kind = "flag";
};
template <>
struct Binding<double> : ParsedBinding<double, parse_number> {
    static constexpr const char* kind = "number";
};
template <>
struct Binding<int> : ParsedBinding<int, parse_integer> {
    static constexpr const char* kind = "integer";
};
template <>
struct Binding<const GUID&> : ParsedBinding<GUID, parse_guid> {
    static constexpr const char* kind = "guid";
};
template <>
struct Binding<const std::list<double>&> : ParsedBinding<std::list<double>, parse_elevations> {
    static constexpr const char* kind = "elevations";
};
template <>
struct Binding<const std::list<std::wstring>&>
    : ParsedBinding<std::list<std::wstring>, parse_names> {
    static constexpr const char* kind = "names";
};

template <>
struct Binding<const AcDbHandle&> : ParsedBinding<AcDbHandle, parse_handle> {
    static constexpr const char* kind = "handle";
};
template <>
struct Binding<const std::list<std::pair<double, double>>&>
    : ParsedBinding<std::list<std::pair<double, double>>, parse_intervals> {
    static constexpr const char* kind = "intervals";
};

// An object id typed as its address; "0" gives the null id.
struct ObjectBinding {
    static constexpr ParameterSource source = ParameterSource::kArgument;
    static constexpr const char* kind = "object";
    AcDbObjectId value;
    void bind(const CallContext& context, ArgumentCursor& cursor) {
        value = cursor.next([&](const std::string& text) {
            return context.drawing.resolve(parse_object_address(text));
        });
    }
    const AcDbObjectId& get() const { return value; }
    void report(Json&) const {}
};
template <>
struct Binding<AcDbObjectId> : ObjectBinding {};
template <>
struct Binding<const AcDbObjectId&> : ObjectBinding {};

// A member typed as its address and handed over open for read, as the product hands the
// members it has just made to the add calls; closed again after the call.
template <>
struct Binding<KORVLinear_structural_member*> {
    static constexpr ParameterSource source = ParameterSource::kArgument;
    static constexpr const char* kind = "member";
    AcDbObjectPointer<KORVLinear_structural_member> member;
    void bind(const CallContext& context, ArgumentCursor& cursor) {
        cursor.next([&](const std::string& text) {
            const AcDbObjectId id = context.drawing.resolve(parse_object_address(text));
            if (member.open(id, AcDb::kForRead) != Acad::eOk)
                throw std::invalid_argument(text + " is not a structural member");
            return id;
        });
    }
    KORVLinear_structural_member* get() { return member.object(); }
    void report(Json&) const {}
};

// ----- from the opened drawing ---------------------------------------------------------------

template <>
struct Binding<AcDbDatabase*> {
    static constexpr ParameterSource source = ParameterSource::kContext;
    static constexpr const char* kind = "database";
    static constexpr const char* name = "database";
    AcDbDatabase* value = nullptr;
    void bind(const CallContext& context, ArgumentCursor& cursor) {
        value = context.drawing.database();
        cursor.echo(name, to_utf8(context.drawing.file_name()));
    }
    AcDbDatabase* get() const { return value; }
    void report(Json&) const {}
};

template <>
struct Binding<const std::wstring&> {
    static constexpr ParameterSource source = ParameterSource::kContext;
    static constexpr const char* kind = "drawing name";
    static constexpr const char* name = "drawing_name";
    std::wstring value;
    void bind(const CallContext& context, ArgumentCursor& cursor) {
        value = context.drawing_name;
        cursor.echo(name, to_utf8(value));
    }
    const std::wstring& get() const { return value; }
    void report(Json&) const {}
};

template <>
struct Binding<AcApDocument*> {
    static constexpr ParameterSource source = ParameterSource::kContext;
    static constexpr const char* kind = "document";
    static constexpr const char* name = "document";
    AcApDocument* value = nullptr;
    void bind(const CallContext& context, ArgumentCursor& cursor) {
        value = context.drawing.document();
        cursor.echo(name, to_utf8(context.drawing.file_name()));
    }
    AcApDocument* get() const { return value; }
    void report(Json&) const {}
};

// ----- output containers ---------------------------------------------------------------------

template <class Value>
struct OutputBinding {
    static constexpr ParameterSource source = ParameterSource::kOutput;
    Value value{};
    void bind(const CallContext&, ArgumentCursor&) {}
    Value& get() { return value; }
};

template <>
struct Binding<std::list<KORVid_and_filename>&> : OutputBinding<std::list<KORVid_and_filename>> {
    static constexpr const char* kind = "record list";
    static constexpr const char* name = "result";
    void report(Json& outputs) const { outputs[name] = describe_records(value); }
};
template <>
struct Binding<KORVid_and_filename&> : OutputBinding<KORVid_and_filename> {
    static constexpr const char* kind = "record";
    static constexpr const char* name = "out";
    void report(Json& outputs) const { outputs[name] = describe_record(value); }
};
template <>
struct Binding<std::list<AcDbObjectId>&> : OutputBinding<std::list<AcDbObjectId>> {
    static constexpr const char* kind = "id list";
    static constexpr const char* name = "ids";
    void report(Json& outputs) const { outputs[name] = describe_ids(value); }
};
template <>
struct Binding<std::list<std::pair<AcDbObjectId, int>>&>
    : OutputBinding<std::list<std::pair<AcDbObjectId, int>>> {
    static constexpr const char* kind = "end list";
    static constexpr const char* name = "result";
    void report(Json& outputs) const { outputs[name] = describe_ends(value); }
};

template <>
struct Binding<std::list<std::wstring>&> : OutputBinding<std::list<std::wstring>> {
    static constexpr const char* kind = "name list";
    static constexpr const char* name = "names";
    void report(Json& outputs) const { outputs[name] = describe_names(value); }
};

template <>
struct Binding<std::list<KORVLevel>&> : OutputBinding<std::list<KORVLevel>> {
    static constexpr const char* kind = "level list";
    static constexpr const char* name = "levels";
    void report(Json& outputs) const { outputs[name] = describe_levels(value); }
};

// ----- bindings a row names for itself ------------------------------------------------------

// A parameter name carried in a binding's type: FlagOutput<"used_copy">.
template <size_t N>
struct FixedName {
    constexpr FixedName(const char (&text)[N]) { std::copy_n(text, N, value); }
    char value[N];
};

// A new, empty database made for the call, as a caller makes one to read a drawing into;
// it goes with the call.
struct NewDatabase {
    static constexpr ParameterSource source = ParameterSource::kMade;
    static constexpr const char* kind = "new database";
    static constexpr const char* name = "database";
    std::unique_ptr<AcDbDatabase> value;
    void bind(const CallContext&, ArgumentCursor& cursor) {
        value = std::make_unique<AcDbDatabase>(false, true);
        cursor.echo(name, "new");
    }
    AcDbDatabase* get() const { return value.get(); }
    void report(Json&) const {}
};

// A file path, handed over as typed.
struct PathArgument : ParsedBinding<std::wstring, from_utf8> {
    static constexpr const char* kind = "path";
};

// A name or other text, handed over as a C string.
struct TextArgument : ParsedBinding<std::wstring, from_utf8> {
    static constexpr const char* kind = "text";
    const wchar_t* get() const { return value.c_str(); }
};

// Scalar outputs, reported under their parameter's name; they start false and empty.
template <FixedName Name>
struct FlagOutput : OutputBinding<bool> {
    static constexpr const char* kind = "flag";
    static constexpr const char* name = Name.value;
    void report(Json& outputs) const { outputs[name] = value; }
};
template <FixedName Name>
struct TextOutput : OutputBinding<std::wstring> {
    static constexpr const char* kind = "text";
    static constexpr const char* name = Name.value;
    void report(Json& outputs) const { outputs[name] = to_utf8(value); }
};

// Lists a function appends numbers or points to, reported under their parameter's name.
template <FixedName Name>
struct NumberListOutput : OutputBinding<std::list<double>> {
    static constexpr const char* kind = "number list";
    static constexpr const char* name = Name.value;
    void report(Json& outputs) const { outputs[name] = describe_numbers(value); }
};
template <FixedName Name>
struct PointListOutput : OutputBinding<std::list<AcGePoint3d>> {
    static constexpr const char* kind = "point list";
    static constexpr const char* name = Name.value;
    void report(Json& outputs) const { outputs[name] = describe_points(value); }
};

// Lists and a message under names of their own; the message is reported only when the
// function wrote one.
template <FixedName Name>
struct IdListOutput : OutputBinding<std::list<AcDbObjectId>> {
    static constexpr const char* kind = "id list";
    static constexpr const char* name = Name.value;
    void report(Json& outputs) const { outputs[name] = describe_ids(value); }
};
template <FixedName Name>
struct TextListOutput : OutputBinding<std::list<std::wstring>> {
    static constexpr const char* kind = "text list";
    static constexpr const char* name = Name.value;
    void report(Json& outputs) const {
        Json texts = Json::array();
        for (const std::wstring& text : value) texts.push_back(to_utf8(text));
        outputs[name] = texts;
    }
};
template <FixedName Name>
struct MessageOutput : OutputBinding<std::wstring> {
    static constexpr const char* kind = "message";
    static constexpr const char* name = Name.value;
    void report(Json& outputs) const {
        if (!value.empty()) outputs[name] = to_utf8(value);
    }
};

// Text handed over as a wide string (a type label, not the drawing's name).
struct WideTextArgument : ParsedBinding<std::wstring, from_utf8> {
    static constexpr const char* kind = "text";
};

// A point the function reads and may move: typed as an argument, reported after the call.
template <FixedName Name>
struct PointInOut : ParsedBinding<AcGePoint3d, parse_point> {
    static constexpr const char* kind = "point";
    static constexpr const char* name = Name.value;
    AcGePoint3d& get() { return value; }
    void report(Json& outputs) const { outputs[name] = format_point(value); }
};

// ----- returned values -----------------------------------------------------------------------

inline Json returned_json(bool value) {
    return value;
}
inline Json returned_json(const std::wstring& value) {
    return to_utf8(value);
}
// An object's address; "0" for the null id.
inline Json returned_json(AcDbObjectId value) {
    return format_object_address(value.handle(), reference_name_of(value));
}

template <class R>
constexpr const char* returned_kind() {
    if constexpr (std::is_void_v<R>) {
        return "nothing";
    } else if constexpr (std::is_same_v<R, bool>) {
        return "flag";
    } else if constexpr (std::is_same_v<R, AcDbObjectId>) {
        return "object";
    } else {
        static_assert(std::is_same_v<R, std::wstring>, "a returned type the tool can print");
        return "name";
    }
}

// ----- whole signatures ----------------------------------------------------------------------

// The function type with one binding per parameter.
template <class F, class... B>
struct BoundSignature;

template <class R, class... P, class... B>
struct BoundSignature<R(P...), B...> {
    static_assert(sizeof...(P) == sizeof...(B), "one binding for each parameter");
    using Result = R;
    static constexpr size_t argument_count =
        (size_t{B::source == ParameterSource::kArgument} + ... + 0);

    static std::vector<ParameterInfo> parameters(const std::vector<std::string>& argument_names) {
        std::vector<ParameterInfo> infos;
        [[maybe_unused]] size_t next_name = 0;  // unused by functions without parameters
        (infos.push_back(info<B>(argument_names, next_name)), ...);
        return infos;
    }

    static Json call(const std::string& function_name, const std::string& symbol,
                     const std::vector<std::string>& argument_names, const CallContext& context,
                     const std::vector<std::string>& texts) {
        Json record;
        record["function"] = function_name;
        Json arguments = Json::object();
        ArgumentCursor cursor(function_name, argument_names, texts, arguments);
        std::tuple<B...> bindings;
        std::apply([&](auto&... binding) { (binding.bind(context, cursor), ...); }, bindings);
        record["arguments"] = arguments;
        auto* function = context.module.template function<R(P...)>(symbol);
        auto run = [&](auto&... binding) { return function(binding.get()...); };
        if (context.before_call) context.before_call();
        if constexpr (std::is_void_v<R>) {
            std::apply(run, bindings);
            if (context.after_call) context.after_call();
            record["returned"] = nullptr;
        } else {
            auto returned = std::apply(run, bindings);
            if (context.after_call) context.after_call();
            record["returned"] = returned_json(returned);
        }
        Json outputs = Json::object();
        std::apply([&](auto&... binding) { (binding.report(outputs), ...); }, bindings);
        record["outputs"] = outputs;
        return record;
    }

private:
    template <class T>
    static ParameterInfo info(const std::vector<std::string>& argument_names, size_t& next_name) {
        if constexpr (T::source == ParameterSource::kArgument) {
            return {argument_names.at(next_name++), T::kind, T::source};
        } else {
            return {T::name, T::kind, T::source};
        }
    }
};

// The bindings a row names, or with none named those of the parameters' declared types.
template <class F, class... B>
struct ChosenSignature {
    using type = BoundSignature<F, B...>;
};
template <class R, class... P>
struct ChosenSignature<R(P...)> {
    using type = BoundSignature<R(P...), Binding<P>...>;
};

// A table row: make_function<F>(...) binds by parameter type, make_function<F, B...>(...)
// with the bindings B, one per parameter. The number of argument names must match the
// typed arguments.
template <class F, class... B, class... Names>
ExportedFunction make_function(const std::string& name, const std::string& symbol,
                               Names... argument_names) {
    using Signature = typename ChosenSignature<F, B...>::type;
    static_assert(sizeof...(Names) == Signature::argument_count,
                  "one name for each typed argument of the function");
    std::vector<std::string> names{argument_names...};
    ExportedFunction function;
    function.name = name;
    function.symbol = symbol;
    function.returns = returned_kind<typename Signature::Result>();
    function.parameters = Signature::parameters(names);
    function.invoke = [name, symbol, names](const CallContext& context,
                                            const std::vector<std::string>& texts) {
        return Signature::call(name, symbol, names, context, texts);
    };
    return function;
}

}  // namespace korv_tool
