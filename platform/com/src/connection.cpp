#include <com/connection.h>

#include <com/comptr.h>

#include <new>

namespace {

class PointEnumerator final : public com::RefCounted<IEnumConnectionPoints> {
 public:
  PointEnumerator(std::vector<com::ComPtr<IConnectionPoint>> points, std::size_t position)
      : m_points(std::move(points)), m_position(position) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    return com::answerQuery(riid, object, this, {{IID_IEnumConnectionPoints, this}});
  }
  HRESULT Next(ULONG count, IConnectionPoint** points, ULONG* fetched) override {
    if (!points || (count > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    while (n < count && m_position < m_points.size()) {
      IConnectionPoint* point = m_points[m_position++].get();
      point->AddRef();
      points[n++] = point;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    const std::size_t left = m_points.size() - m_position;
    m_position += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT Reset() override {
    m_position = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumConnectionPoints** copy) override {
    if (!copy) return E_POINTER;
    *copy = new (std::nothrow) PointEnumerator(m_points, m_position);
    return *copy ? S_OK : E_OUTOFMEMORY;
  }

 private:
  std::vector<com::ComPtr<IConnectionPoint>> m_points;
  std::size_t m_position;
};

}  // namespace

namespace com {
IEnumConnectionPoints* createConnectionPointEnumerator(const std::vector<IConnectionPoint*>& points) {
  std::vector<ComPtr<IConnectionPoint>> held;
  for (IConnectionPoint* point : points) held.emplace_back(point);
  return new (std::nothrow) PointEnumerator(std::move(held), 0);
}
}  // namespace com
