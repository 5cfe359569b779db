// The host library's own COM objects, used directly: memory stream, parameter
// changes, host context and messages, text conversion.
#include <gtest/gtest.h>

#include <cstring>

#include "host/component_handler.h"
#include "host/host_context.h"
#include "host/memory_stream.h"
#include "host/parameter_changes.h"
#include "host/text.h"
#include "pluginterfaces/vst/ivstattributes.h"
#include "pluginterfaces/vst/ivstmessage.h"

using namespace Steinberg;
using vst3host::MemoryStream;
using vst3host::ParameterChanges;

namespace {

// VST3 strings are UTF-16 in the SDK's own character type (wchar_t on Windows).
using TString = std::basic_string<Steinberg::Vst::TChar>;
TString tstring(const char16_t* text) {
  TString out;
  for (; *text; ++text) out += static_cast<Steinberg::Vst::TChar>(*text);
  return out;
}

std::vector<uint8_t> bytesUpTo(int n) {
  std::vector<uint8_t> out;
  for (int i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(i));
  return out;
}

}  // namespace

TEST(MemoryStream, WriteThenReadRoundTrips) {
  MemoryStream stream;
  double value = 12.5;
  int32 written = 0;
  ASSERT_EQ(stream.write(&value, sizeof value, &written), kResultOk);
  EXPECT_EQ(written, 8);
  stream.rewind();
  double back = 0;
  int32 read = 0;
  ASSERT_EQ(stream.read(&back, sizeof back, &read), kResultOk);
  EXPECT_EQ(read, 8);
  EXPECT_EQ(back, 12.5);
}

TEST(MemoryStream, ReadAtEndDeliversNothingWithoutError) {
  MemoryStream stream(bytesUpTo(4));
  char buffer[8];
  int32 read = -1;
  EXPECT_EQ(stream.read(buffer, 8, &read), kResultOk);
  EXPECT_EQ(read, 4);
  EXPECT_EQ(stream.read(buffer, 8, &read), kResultOk);
  EXPECT_EQ(read, 0);
}

TEST(MemoryStream, FailReadsAfterDeliversBytesBeforeLimitThenFails) {
  MemoryStream stream(bytesUpTo(200));
  stream.failReadsAfter(144);
  std::vector<uint8_t> buffer(128);
  int32 read = 0;
  EXPECT_EQ(stream.read(buffer.data(), 128, &read), kResultOk);
  EXPECT_EQ(read, 128);
  EXPECT_EQ(stream.read(buffer.data(), 128, &read), kResultFalse);
  EXPECT_EQ(read, 16);
  EXPECT_EQ(buffer[15], 143);
  EXPECT_EQ(stream.read(buffer.data(), 4, &read), kResultFalse);
  EXPECT_EQ(read, 0);
}

TEST(MemoryStream, TruncateDropsTailAndKeepsPosition) {
  MemoryStream stream(bytesUpTo(148));
  stream.seek(120, IBStream::kIBSeekSet, nullptr);
  stream.truncate(100);
  EXPECT_EQ(stream.bytes().size(), 100u);
  EXPECT_EQ(stream.position(), 120);
  char buffer[4];
  int32 read = -1;
  EXPECT_EQ(stream.read(buffer, 4, &read), kResultOk);
  EXPECT_EQ(read, 0);
}

TEST(MemoryStream, SeekModesAndNegativeTarget) {
  MemoryStream stream(bytesUpTo(10));
  int64 at = 0;
  EXPECT_EQ(stream.seek(4, IBStream::kIBSeekSet, &at), kResultOk);
  EXPECT_EQ(at, 4);
  EXPECT_EQ(stream.seek(3, IBStream::kIBSeekCur, &at), kResultOk);
  EXPECT_EQ(at, 7);
  EXPECT_EQ(stream.seek(-2, IBStream::kIBSeekEnd, &at), kResultOk);
  EXPECT_EQ(at, 8);
  EXPECT_EQ(stream.seek(-1, IBStream::kIBSeekSet, &at), kResultFalse);
  EXPECT_EQ(stream.position(), 8);
}

TEST(MemoryStream, WritingPastEndFillsGapWithZeros) {
  MemoryStream stream(bytesUpTo(2));
  stream.seek(4, IBStream::kIBSeekSet, nullptr);
  uint8_t byte = 0xAB;
  stream.write(&byte, 1, nullptr);
  EXPECT_EQ(stream.bytes(), (std::vector<uint8_t>{0, 1, 0, 0, 0xAB}));
}

TEST(MemoryStream, FailWritesAndFailSeeksRefuse) {
  MemoryStream stream;
  stream.failWrites(true);
  int32 written = -1;
  char byte = 1;
  EXPECT_EQ(stream.write(&byte, 1, &written), kResultFalse);
  EXPECT_EQ(written, 0);
  EXPECT_TRUE(stream.bytes().empty());
  stream.failSeeks(true);
  EXPECT_EQ(stream.seek(0, IBStream::kIBSeekSet, nullptr), kResultFalse);
}

TEST(MemoryStream, AnswersSizeableStreamAndCountsReferences) {
  auto* stream = new MemoryStream(bytesUpTo(6));
  void* obj = nullptr;
  ASSERT_EQ(stream->queryInterface(ISizeableStream::iid, &obj), kResultOk);
  auto* sizeable = static_cast<ISizeableStream*>(obj);
  int64 size = 0;
  sizeable->getStreamSize(size);
  EXPECT_EQ(size, 6);
  EXPECT_EQ(sizeable->release(), 1u);
  EXPECT_EQ(stream->release(), 0u);
}

TEST(ParameterChanges, KeepsPointsInOffsetOrder) {
  ParameterChanges changes;
  ASSERT_TRUE(changes.add(7, 30, 0.3));
  ASSERT_TRUE(changes.add(7, 10, 0.1));
  ASSERT_TRUE(changes.add(7, 20, 0.2));
  ASSERT_EQ(changes.getParameterCount(), 1);
  Vst::IParamValueQueue* queue = changes.getParameterData(0);
  ASSERT_EQ(queue->getPointCount(), 3);
  for (int32 i = 0; i < 3; ++i) {
    int32 offset = 0;
    Vst::ParamValue value = 0;
    queue->getPoint(i, offset, value);
    EXPECT_EQ(offset, 10 * (i + 1));
    EXPECT_DOUBLE_EQ(value, 0.1 * (i + 1));
  }
}

TEST(ParameterChanges, SameOffsetReplacesValue) {
  ParameterChanges changes;
  changes.add(1, 5, 0.2);
  changes.add(1, 5, 0.9);
  Vst::IParamValueQueue* queue = changes.getParameterData(0);
  ASSERT_EQ(queue->getPointCount(), 1);
  int32 offset = 0;
  Vst::ParamValue value = 0;
  queue->getPoint(0, offset, value);
  EXPECT_DOUBLE_EQ(value, 0.9);
}

TEST(ParameterChanges, OneQueuePerParameterAndClearEmptiesAll) {
  ParameterChanges changes;
  changes.add(3, 0, 0.1);
  changes.add(4, 0, 0.2);
  changes.add(3, 8, 0.3);
  EXPECT_EQ(changes.getParameterCount(), 2);
  ASSERT_NE(changes.find(3), nullptr);
  EXPECT_EQ(changes.find(3)->getPointCount(), 2);
  changes.clear();
  EXPECT_EQ(changes.getParameterCount(), 0);
  EXPECT_EQ(changes.find(3), nullptr);
  EXPECT_EQ(changes.getParameterData(0), nullptr);
}

TEST(ParameterChanges, RefusesWhatDoesNotFit) {
  ParameterChanges changes(2, 2);
  EXPECT_TRUE(changes.add(1, 0, 0));
  EXPECT_TRUE(changes.add(1, 1, 0));
  EXPECT_FALSE(changes.add(1, 2, 0));
  EXPECT_TRUE(changes.add(2, 0, 0));
  EXPECT_FALSE(changes.add(3, 0, 0));
  int32 index = 0;
  EXPECT_EQ(changes.addParameterData(3, index), nullptr);
}

TEST(HostContext, ReportsSettableName) {
  auto* context = new vst3host::HostContext;
  Vst::String128 name = {};
  ASSERT_EQ(context->getName(name), kResultOk);
  EXPECT_EQ(vst3host::utf16ToUtf8(name, 128), "varnock-host");
  context->setName("Test Bench");
  context->getName(name);
  EXPECT_EQ(vst3host::utf16ToUtf8(name, 128), "Test Bench");
  EXPECT_EQ(context->release(), 0u);
}

TEST(HostContext, MakesMessagesWithAttributes) {
  auto* context = new vst3host::HostContext;
  TUID cid, iid;
  std::memcpy(cid, Vst::IMessage::iid, sizeof(TUID));
  std::memcpy(iid, Vst::IMessage::iid, sizeof(TUID));
  void* obj = nullptr;
  ASSERT_EQ(context->createInstance(cid, iid, &obj), kResultOk);
  auto* message = static_cast<Vst::IMessage*>(obj);
  message->setMessageID("ping");
  EXPECT_STREQ(message->getMessageID(), "ping");
  Vst::IAttributeList* attributes = message->getAttributes();
  attributes->setInt("n", 42);
  attributes->setString("s", tstring(u"h\u00e9llo").c_str());
  const char blob[3] = {1, 2, 3};
  attributes->setBinary("b", blob, 3);
  int64 n = 0;
  EXPECT_EQ(attributes->getInt("n", n), kResultOk);
  EXPECT_EQ(n, 42);
  double missing = 0;
  EXPECT_EQ(attributes->getFloat("n", missing), kResultFalse);
  Vst::TChar text[4];
  EXPECT_EQ(attributes->getString("s", text, sizeof text), kResultOk);
  EXPECT_EQ(TString(text), tstring(u"h\u00e9l"));
  const void* data = nullptr;
  uint32 size = 0;
  EXPECT_EQ(attributes->getBinary("b", data, size), kResultOk);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(std::memcmp(data, blob, 3), 0);
  EXPECT_EQ(message->release(), 0u);
  context->release();
}

TEST(HostContext, RefusesUnknownClasses) {
  auto* context = new vst3host::HostContext;
  TUID cid, iid;
  std::memcpy(cid, Vst::IComponentHandler::iid, sizeof(TUID));
  std::memcpy(iid, Vst::IComponentHandler::iid, sizeof(TUID));
  void* obj = reinterpret_cast<void*>(1);
  EXPECT_EQ(context->createInstance(cid, iid, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
  context->release();
}

TEST(RecordingComponentHandler, RecordsCallsInOrderAndCountsRestarts) {
  auto* handler = new vst3host::RecordingComponentHandler;
  handler->beginEdit(5);
  handler->performEdit(5, 0.25);
  handler->endEdit(5);
  handler->restartComponent(Vst::kLatencyChanged | Vst::kParamValuesChanged);
  handler->restartComponent(Vst::kParamValuesChanged);
  const auto events = handler->events();
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[0].kind, vst3host::HandlerEvent::Kind::BeginEdit);
  EXPECT_EQ(events[1].kind, vst3host::HandlerEvent::Kind::PerformEdit);
  EXPECT_DOUBLE_EQ(events[1].value, 0.25);
  EXPECT_EQ(events[2].id, 5u);
  EXPECT_EQ(handler->restartCount(Vst::kLatencyChanged), 1);
  EXPECT_EQ(handler->restartCount(Vst::kParamValuesChanged), 2);
  handler->clear();
  EXPECT_TRUE(handler->events().empty());
  handler->release();
}

TEST(Text, RoundTripsNonAsciiThroughUtf16) {
  const std::string text = "Gr\xC3\xB6\xC3\x9F" "e \xF0\x9F\x8E\xB5";  // "Größe" and a note outside the BMP
  Vst::String128 wide;
  vst3host::utf8ToUtf16(text, wide, 128);
  EXPECT_EQ(wide[6], 0xD83C);  // "Größe " is 6 units; the note is a surrogate pair
  EXPECT_EQ(vst3host::utf16ToUtf8(wide, 128), text);
}

TEST(Text, CutsShortWithoutSplittingSurrogatePair) {
  Vst::TChar wide[4];
  vst3host::utf8ToUtf16("ab\xF0\x9F\x8E\xB5", wide, 4);  // room for 3 units + 0
  EXPECT_EQ(TString(wide), tstring(u"ab"));
}

TEST(Text, InvalidInputBecomesReplacementCharacter) {
  const Steinberg::char16 lone[] = {u'a', 0xDC00, u'b', 0};
  EXPECT_EQ(vst3host::utf16ToUtf8(lone, 4), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(vst3host::utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
}
