package probe;

// Has a method called main, but not main(String[]).
public class NoMain {
    public static void main(int code) {
        System.out.println("wrong main " + code);
    }
}
