[playlist]
NumberOfEntries=2
File1=http://a.example:8000/stream
Title1=One
File2=rel/two.mp3
Length2=-1
Version=2
